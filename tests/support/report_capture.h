// An analysis whose report output is captured in the portable backend.
#pragma once

#include <string>
#include <vector>

#include "core/analysis.h"
#include "report/pane_text_sink.h"

class ReportCapture {
public:
    ReportCapture();  // a fresh analysis (output disabled until a pane is selected)
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    Report& report() { return analysis.report; }

    const std::string& Text(ReportPane pane) const { return sink.Pane(pane).text; }
    std::vector<std::string> Lines(ReportPane pane) const;  // split at "\r\n", ends kept off
    // The text of the red runs of a pane, joined.
    std::string RedText(ReportPane pane) const;
    PaneTextSink sink;
    Analysis analysis;
};

// Writes bytes to a file of the given name in this test run's temporary
// folder and returns its path.
std::string WriteTempFile(const std::vector<unsigned char>& bytes, const std::string& name = "test.jpg");
std::string TempFolder();
