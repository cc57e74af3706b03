// Report output: the only way the decoders show anything. Text goes to the
// current pane through the installed sink; error lines are red.
#pragma once

#include <cstdint>
#include <string>

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

// Installs the sink (or none) and puts the report state back to program start:
// no current pane, output disabled.
void InstallReportSink(ReportSink* sink);

void SelectReportPane(ReportPane pane);
void AppendReport(const char* text);
void AppendReportText(const std::string& text);
// printf-style append with no length limit: a long value is never cut.
void AppendReportFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SetReportColor(uint32_t color);
// Bytes of text appended to any pane since the sink was installed.
uint64_t ReportedBytes();
void ReportFatal(const char* message);
void ReportNonfatal(const char* format, int32_t first, int32_t second);

// printf into a std::string of whatever length the result needs.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
