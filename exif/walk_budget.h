// How much one EXIF walk may show. A block holds at most 64 KB, and a sound
// one shows each of its bytes about once; but links that lead back into the
// same directories (a directory of thousands of links to itself, thousands
// of entries sharing one long value, many links to one GPS directory) can
// make those kilobytes print gigabytes and walk for ever. Every entry line,
// value text and thumbnail decode is paid for from one budget per walk;
// once it is spent the walk stops, saying so once.
#pragma once

#include <cstddef>

// What an entry costs, value text aside: its name line, and the heading and
// the error line that a link which leads nowhere adds.
constexpr size_t kEntryLineCost = 160;

// Starts a fresh budget: done by the walk of the first directory, on entry
// and again on its return, so that nothing carries into the next walk.
void ResetExifWalkBudget();

// Pays for bytes of output; false once the budget is spent (the first time,
// after the non-fatal line that says the rest is not shown).
bool SpendExifWalkBudget(size_t bytes);

bool ExifWalkBudgetSpent();
