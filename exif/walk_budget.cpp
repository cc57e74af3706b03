#include "exif/walk_budget.h"

#include <cstdint>

#include "report/report.h"

namespace {

// The listing of a camera's EXIF block runs to some tens of kilobytes; a
// megabyte leaves room for far stranger sound blocks while the report of
// the worst file stays a few megabytes in memory.
constexpr uint64_t kWalkBudgetBytes = 1024 * 1024;

struct WalkBudget {
    uint64_t shownAtStart = 0;  // the report's byte count when the walk began
    uint64_t decodedBytes = 0;
    bool exhausted = false;
};

WalkBudget walkBudget;

bool BudgetCovers(uint64_t more) {
    if (walkBudget.exhausted) return false;
    const uint64_t spent = ReportedBytes() - walkBudget.shownAtStart + walkBudget.decodedBytes;
    if (spent <= kWalkBudgetBytes && more <= kWalkBudgetBytes - spent) return true;
    walkBudget.exhausted = true;
    ReportNonfatal("Exif listing too long, rest not shown(corrupt exif header)\r\n", 0, 0);
    return false;
}

}  // namespace

void ResetExifWalkBudget() {
    walkBudget = WalkBudget{};
    walkBudget.shownAtStart = ReportedBytes();
}

bool ExifWalkBudgetAllows(size_t lineBytes) { return BudgetCovers(lineBytes); }

bool SpendExifWalkBudgetOnDecode(size_t bytes) {
    if (!BudgetCovers(bytes)) return false;
    walkBudget.decodedBytes += bytes;
    return true;
}

bool ExifWalkBudgetSpent() { return walkBudget.exhausted; }
