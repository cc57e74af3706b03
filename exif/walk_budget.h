// How much one EXIF walk may show. A block holds at most 64 KB, and a sound
// one shows each of its bytes about once; but links that lead back into the
// same directories (a directory of thousands of links to itself, thousands
// of entries sharing one long value, many links to one GPS directory) can
// make those kilobytes print gigabytes and walk for ever. The walk may
// append a megabyte of text in all, thumbnail decodes and the values kept as
// data counted at their cost; once that is spent it stops, saying so once.
#pragma once

#include <cstddef>
#include <cstdint>

struct Report;

struct ExifWalkBudget {
    uint64_t shownAtStart = 0;  // the report's byte count when the walk began
    uint64_t chargedBytes = 0;  // decodes and kept values, which show no text
    bool exhausted = false;
};

// Starts a fresh budget for a walk about to show its lines in report.
void StartExifWalkBudget(ExifWalkBudget& budget, const Report& report);

// Whether a line of this many bytes may still be shown; false once the
// budget is spent (the first time, after the non-fatal line that says the
// rest is not shown). Lines are counted as they are appended.
bool ExifWalkBudgetAllows(ExifWalkBudget& budget, Report& report, size_t lineBytes);

// Pays for decoding a thumbnail of this cost; false when the budget cannot
// pay for it.
bool SpendExifWalkBudgetOnDecode(ExifWalkBudget& budget, Report& report, size_t cost);

// Charges what a line already allowed for beside its text: the entry's
// values kept as data.
void ChargeExifWalkBudget(ExifWalkBudget& budget, size_t bytes);
