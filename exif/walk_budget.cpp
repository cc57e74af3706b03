// The megabyte one EXIF walk may show, counted from the report's bytes.
#include "exif/walk_budget.h"

#include "report/report.h"

namespace {

// The listing of a camera's EXIF block runs to some tens of kilobytes; a
// megabyte leaves room for far stranger sound blocks while the report of
// the worst file stays a few megabytes in memory.
constexpr uint64_t kWalkBudgetBytes = 1024 * 1024;

bool BudgetCovers(ExifWalkBudget& budget, Report& report, uint64_t more) {
    if (budget.exhausted) return false;
    const uint64_t spent = report.shownBytes - budget.shownAtStart + budget.chargedBytes;
    if (spent <= kWalkBudgetBytes && more <= kWalkBudgetBytes - spent) return true;
    budget.exhausted = true;
    ReportNonfatal(report, "Exif listing too long, rest not shown(corrupt exif header)\r\n");
    return false;
}

}  // namespace

void StartExifWalkBudget(ExifWalkBudget& budget, const Report& report) {
    budget = ExifWalkBudget{};
    budget.shownAtStart = report.shownBytes;
}

bool ExifWalkBudgetAllows(ExifWalkBudget& budget, Report& report, size_t lineBytes) {
    return BudgetCovers(budget, report, lineBytes);
}

bool SpendExifWalkBudgetOnDecode(ExifWalkBudget& budget, Report& report, size_t cost) {
    if (!BudgetCovers(budget, report, cost)) return false;
    budget.chargedBytes += cost;
    return true;
}

void ChargeExifWalkBudget(ExifWalkBudget& budget, size_t bytes) { budget.chargedBytes += bytes; }
