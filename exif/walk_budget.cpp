#include "exif/walk_budget.h"

#include "report/report.h"

namespace {

// The listing of a camera's EXIF block runs to some tens of kilobytes; a
// megabyte leaves room for far stranger sound blocks while the report of
// the worst file stays a few megabytes in memory.
constexpr size_t kWalkBudgetBytes = 1024 * 1024;

struct WalkBudget {
    size_t spent = 0;
    bool exhausted = false;
};

WalkBudget walkBudget;

}  // namespace

void ResetExifWalkBudget() { walkBudget = WalkBudget{}; }

bool SpendExifWalkBudget(size_t bytes) {
    if (walkBudget.exhausted) return false;
    if (bytes > kWalkBudgetBytes - walkBudget.spent) {
        walkBudget.exhausted = true;
        ReportNonfatal("Exif listing too long, rest not shown(corrupt exif header)\r\n", 0, 0);
        return false;
    }
    walkBudget.spent += bytes;
    return true;
}

bool ExifWalkBudgetSpent() { return walkBudget.exhausted; }
