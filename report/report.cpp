#include "report/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

struct ReportState {
    ReportSink* sink = nullptr;
    ReportPane currentPane = ReportPane::Jpeg;
    bool hasCurrentPane = false;
    bool reportEnabled = false;
    uint64_t shownBytes = 0;
};

ReportState reportState;

// Text is counted even with no sink installed, so that a walk bounded by
// what it shows stays bounded when nobody looks.
bool ReportReady() { return reportState.reportEnabled && reportState.hasCurrentPane; }

void Deliver(const char* text, size_t length) {
    reportState.shownBytes += length;
    if (reportState.sink != nullptr) reportState.sink->AppendText(reportState.currentPane, text, length);
}

std::string FormatTextV(const char* format, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return std::string();
    if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(needed));
    return text;
}

}  // namespace

void InstallReportSink(ReportSink* sink) {
    reportState = ReportState{};
    reportState.sink = sink;
}

void SelectReportPane(ReportPane pane) {
    reportState.currentPane = pane;
    reportState.hasCurrentPane = true;
    reportState.reportEnabled = true;
}

void AppendReport(const char* text) {
    if (!ReportReady()) return;
    Deliver(text, std::strlen(text));
}

void AppendReportText(const std::string& text) {
    if (!ReportReady()) return;
    Deliver(text.data(), text.size());
}

void AppendReportFormat(const char* format, ...) {
    if (!ReportReady()) return;
    va_list args;
    va_start(args, format);
    // Nearly every line fits a small buffer and goes to the pane straight
    // from it; a longer one is formatted again at its full length.
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed >= 0 && static_cast<size_t>(needed) < sizeof small) {
        Deliver(small, static_cast<size_t>(needed));
    } else if (needed >= 0) {
        AppendReportText(FormatTextV(format, args));
    }
    va_end(args);
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    return text;
}

uint64_t ReportedBytes() { return reportState.shownBytes; }

void SetReportColor(uint32_t color) {
    if (!ReportReady() || reportState.sink == nullptr) return;
    reportState.sink->SetColor(reportState.currentPane, color);
}

void ReportFatal(const char* message) {
    SetReportColor(kColorRed);
    AppendReportText(std::string("Fatal Error  : ") + message);
    SetReportColor(kColorBlack);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
void ReportNonfatal(const char* format, int32_t first, int32_t second) {
    SetReportColor(kColorRed);
    AppendReport("Nonfatal Error : ");
    // The formats are the decoders' own constants and consume at most two
    // integers; the message is short, but is never cut.
    char line[2048];
    int needed = std::snprintf(line, sizeof line, format, first, second);
    SetReportColor(kColorRed);
    if (needed >= 0 && static_cast<size_t>(needed) >= sizeof line) {
        AppendReportText(FormatText(format, first, second));
    } else {
        AppendReport(line);
    }
    SetReportColor(kColorBlack);
}
#pragma GCC diagnostic pop
