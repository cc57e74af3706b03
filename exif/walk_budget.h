// How much one EXIF walk may show. A block holds at most 64 KB, and a sound
// one shows each of its bytes about once; but links that lead back into the
// same directories (a directory of thousands of links to itself, thousands
// of entries sharing one long value, many links to one GPS directory) can
// make those kilobytes print gigabytes and walk for ever. The walk may
// append a megabyte of text in all, thumbnail decodes counted at their byte
// size; once that is spent it stops, saying so once.
#pragma once

#include <cstddef>

// Starts a fresh budget: done by the walk of the first directory, on entry
// and again on its return, so that nothing carries into the next walk.
void ResetExifWalkBudget();

// Whether a line of this many bytes may still be shown; false once the
// budget is spent (the first time, after the non-fatal line that says the
// rest is not shown). Lines are counted as they are appended.
bool ExifWalkBudgetAllows(size_t lineBytes);

// Pays for decoding a thumbnail of this many bytes; false when the budget
// cannot pay for it.
bool SpendExifWalkBudgetOnDecode(size_t bytes);

bool ExifWalkBudgetSpent();
