// The report operations: the current pane, appending, colours, the error
// lines, and the message lines kept as data.
#include "report/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool ReportReady(const Report& report) { return report.enabled && report.hasCurrentPane; }

void Deliver(Report& report, const char* text, size_t length) {
    report.shownBytes += length;
    if (report.sink != nullptr) report.sink->AppendText(report.currentPane, text, length);
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

// Keeps a shown line as data, without its line end.
void KeepLine(Report& report, bool error, std::string text) {
    if (!ReportReady(report)) return;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    report.lines.push_back(ReportedLine{report.currentPane, error, std::move(text), nullptr, std::string()});
}

}  // namespace

void ResetReport(Report& report, ReportSink* sink) {
    std::vector<ReportedLine> lines = std::move(report.lines);
    lines.clear();
    report = Report{};
    report.sink = sink;
    report.lines = std::move(lines);
}

void SelectReportPane(Report& report, ReportPane pane) {
    report.currentPane = pane;
    report.hasCurrentPane = true;
    report.enabled = true;
}

void AppendReport(Report& report, const char* text) {
    if (!ReportReady(report)) return;
    Deliver(report, text, std::strlen(text));
}

void AppendReportText(Report& report, const std::string& text) {
    if (!ReportReady(report)) return;
    Deliver(report, text.data(), text.size());
}

void CountReportText(Report& report, size_t length) {
    if (ReportReady(report)) report.shownBytes += length;
}

void AppendReportFormat(Report& report, const char* format, ...) {
    if (!ReportReady(report)) return;
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
        Deliver(report, small, static_cast<size_t>(needed));
    } else if (needed >= 0) {
        AppendReportText(report, FormatTextV(format, args));
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

void SetReportColor(Report& report, uint32_t color) {
    if (!ReportReady(report)) return;
    report.paneColors[static_cast<int>(report.currentPane)] = color;
    if (report.sink != nullptr) report.sink->SetColor(report.currentPane, color);
}

void ReportFatal(Report& report, const char* message) {
    SetReportColor(report, kColorRed);
    std::string line = std::string("Fatal Error  : ") + message;
    AppendReportText(report, line);
    SetReportColor(report, kColorBlack);
    KeepLine(report, true, std::move(line));
}

void ReportNonfatal(Report& report, const char* format, ...) {
    SetReportColor(report, kColorRed);
    AppendReport(report, "Nonfatal Error : ");
    va_list args;
    va_start(args, format);
    std::string message = FormatTextV(format, args);
    va_end(args);
    SetReportColor(report, kColorRed);
    AppendReportText(report, message);
    SetReportColor(report, kColorBlack);
    KeepLine(report, true, "Nonfatal Error : " + message);
}

void ReportMessage(Report& report, const char* format, ...) {
    if (!ReportReady(report)) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatTextV(format, args);
    va_end(args);
    AppendReportText(report, line);
    KeepLine(report, report.paneColors[static_cast<int>(report.currentPane)] != kColorBlack, std::move(line));
}

void ReportErrorLine(Report& report, const char* format, ...) {
    if (!ReportReady(report)) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatTextV(format, args);
    va_end(args);
    SetReportColor(report, kColorRed);
    AppendReportText(report, line);
    SetReportColor(report, kColorBlack);
    KeepLine(report, true, std::move(line));
}

void MarkLastLine(Report& report, const char* code, const std::string& reason) {
    if (report.lines.empty()) return;
    report.lines.back().code = code;
    report.lines.back().reason = reason;
}
