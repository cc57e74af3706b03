// The portable report backend: per pane, the text and the colour of each
// run, as a rich-edit control would hold them. The command line prints it;
// the tests read it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "report/report.h"

struct ColorRun {
    size_t start = 0;    // byte offset in the pane text
    size_t length = 0;
    uint32_t color = 0;  // COLORREF
};

struct PaneText {
    std::string text;
    std::vector<ColorRun> runs;   // cover text, in order, adjacent runs differ in colour
    uint32_t insertColor = kColorBlack;  // colour of the text appended next
};

class PaneTextSink : public ReportSink {
public:
    void AppendText(ReportPane pane, const char* text, size_t length) override;
    void SetColor(ReportPane pane, uint32_t color) override;

    void Clear();
    const PaneText& Pane(ReportPane pane) const { return panes[static_cast<int>(pane)]; }
    // Colour of the byte at offset in the pane's text (black past the end).
    uint32_t ColorAt(ReportPane pane, size_t offset) const;

private:
    std::array<PaneText, kPaneCount> panes;
};
