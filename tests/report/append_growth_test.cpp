#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "report/report.h"
#include "support/report_capture.h"

namespace {

const char kLine[] = "Tag 0100 ImageWidth           : 640\r\n";
const size_t kLineLength = sizeof kLine - 1;

// Far more processor time than linear appends of any size used here need;
// appends that copied the text each time would run out of it and fail the
// test quickly instead of hanging it.
constexpr double kBudgetSeconds = 2.0;

double SecondsSince(std::clock_t start) { return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC; }

// Appends lines to the Exif pane, every fourth one as a red error line, so
// the colour runs grow with the text. Returns how many were appended before
// the budget ran out.
size_t AppendLines(Report& report, size_t count) {
    SelectReportPane(report, ReportPane::Exif);
    std::clock_t start = std::clock();
    for (size_t i = 0; i < count; i++) {
        if (i % 1024 == 0 && SecondsSince(start) > kBudgetSeconds) return i;
        if (i % 4 == 3) {
            ReportNonfatal(report, "Illegal value pointer for tag %04x\r\n", 0x829a);
        } else {
            AppendReport(report, kLine);
        }
    }
    return count;
}

// Best of three, in processor seconds: other programs on the machine do
// not count against the code under test.
double SecondsToAppend(size_t count) {
    double best = 1e9;
    for (int run = 0; run < 3; run++) {
        ReportCapture capture;
        std::clock_t start = std::clock();
        size_t appended = AppendLines(capture.report(), count);
        double seconds = SecondsSince(start);
        EXPECT_EQ(appended, count) << "out of time";
        best = std::min(best, seconds);
    }
    return best;
}

}  // namespace

// A pane that copied its whole text on every append would move the buffer
// once per line; growing geometrically moves it a few dozen times at most.
TEST(ReportGrowth, PaneTextMovesRarelyWhileTwoHundredThousandLinesAreAppended) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    const std::string& text = capture.Text(ReportPane::Exif);
    size_t moves = 0;
    const char* lastData = text.data();
    const size_t lines = 200000;
    size_t appended = 0;
    for (; appended < lines && moves < 64; appended++) {
        AppendReport(capture.report(), kLine);
        if (text.data() != lastData) {
            moves++;
            lastData = text.data();
        }
    }
    EXPECT_EQ(appended, lines);
    EXPECT_EQ(text.size(), lines * kLineLength);
    EXPECT_LT(moves, 64u);
}

TEST(ReportGrowth, ColourRunsStayOnePerColourChange) {
    ReportCapture capture;
    ASSERT_EQ(AppendLines(capture.report(), 2000), 2000u);
    // Three black lines then one red line, 500 times over: 1000 runs.
    EXPECT_EQ(capture.sink.Pane(ReportPane::Exif).runs.size(), 1000u);
    const std::string redLine = "Nonfatal Error : Illegal value pointer for tag 829a\r\n";
    EXPECT_EQ(capture.RedText(ReportPane::Exif).size(), 500 * redLine.size());
}

// Eight times the lines must take about eight times as long, not
// sixty-four: the factor allowed is generous, for a loaded machine.
TEST(ReportGrowth, AppendingEightTimesTheLinesTakesAboutEightTimesAsLong) {
    const size_t small = 25000;
    {
        // Untimed, and larger than both: the allocator then serves the
        // pane's text from memory already mapped, so fresh pages (costly on
        // a virtual machine) do not count against one size only.
        ReportCapture warmUp;
        ASSERT_EQ(AppendLines(warmUp.report(), 16 * small), 16 * small) << "out of time";
    }
    double smallSeconds = SecondsToAppend(small);
    double largeSeconds = SecondsToAppend(8 * small);
    // A floor under the small time keeps a lucky near-zero reading from
    // making the bound meaninglessly tight.
    EXPECT_LT(largeSeconds, 24 * std::max(smallSeconds, 0.002)) << smallSeconds << " s then " << largeSeconds << " s";
}
