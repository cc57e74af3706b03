// Report output: the only way the decoders show anything. Text goes to the
// current pane through the sink of one analysis; error lines are red. The
// message and error lines are also kept as data, with their pane and colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ReportPane : int { Jpeg = 0, Thumbnail = 1, Exif = 2, IptcXmp = 3 };
constexpr int kPaneCount = 4;

// COLORREF values (0x00bbggrr).
constexpr uint32_t kColorRed = 255;
constexpr uint32_t kColorBlack = 0;

// Where report text lands: the rich edits of the window, or the portable
// per-pane text of the command line and the tests.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void AppendText(ReportPane pane, const char* text, size_t length) = 0;
    virtual void SetColor(ReportPane pane, uint32_t color) = 0;
};

// A message or error line as a pane shows it, without its line end.
struct ReportedLine {
    ReportPane pane = ReportPane::Exif;
    bool error = false;  // shown in red
    std::string text;
    // Why a file was not reported, for programs: a stable name
    // (open-failed, not-jpeg, read-error, truncated, ...), and the system's
    // own words when the system refused; not shown in the panes.
    const char* code = nullptr;
    std::string reason;
};

// The report state of one analysis. Output is dropped until a pane is
// selected; text is counted even with no sink, so that a walk bounded by
// what it shows stays bounded when nobody looks.
struct Report {
    ReportSink* sink = nullptr;
    ReportPane currentPane = ReportPane::Jpeg;
    bool hasCurrentPane = false;
    bool enabled = false;
    uint32_t paneColors[kPaneCount] = {kColorBlack, kColorBlack, kColorBlack, kColorBlack};
    uint64_t shownBytes = 0;           // appended to any pane since the reset
    std::vector<ReportedLine> lines;   // message and error lines, in order
};

// Puts the report back to its start state with the given sink (or none):
// no current pane, output disabled, nothing counted or kept.
void ResetReport(Report& report, ReportSink* sink);

void SelectReportPane(Report& report, ReportPane pane);
void AppendReport(Report& report, const char* text);
void AppendReportText(Report& report, const std::string& text);
// Counts text of this length as shown, for a pane no sink shows.
void CountReportText(Report& report, size_t length);
// printf-style append with no length limit: a long value is never cut.
void AppendReportFormat(Report& report, const char* format, ...) __attribute__((format(printf, 2, 3)));
void SetReportColor(Report& report, uint32_t color);
void ReportFatal(Report& report, const char* message);
void ReportNonfatal(Report& report, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A message line in the current colour, kept as a message too.
void ReportMessage(Report& report, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A line in red, then black again, kept as an error line.
void ReportErrorLine(Report& report, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Gives the last line kept its code and the system's reason, if a line was kept.
void MarkLastLine(Report& report, const char* code, const std::string& reason = std::string());

// printf into a std::string of whatever length the result needs.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
