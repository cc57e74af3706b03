// Captures report output in the portable backend for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "report/pane_text_sink.h"

class ReportCapture {
public:
    ReportCapture();   // installs a fresh sink (output disabled until a pane is selected)
    ~ReportCapture();  // uninstalls it
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    const std::string& Text(ReportPane pane) const { return sink.Pane(pane).text; }
    std::vector<std::string> Lines(ReportPane pane) const;  // split at "\r\n", ends kept off
    // The text of the red runs of a pane, joined.
    std::string RedText(ReportPane pane) const;
    PaneTextSink sink;
};

// Writes bytes to a file of the given name in this test run's temporary
// folder and returns its path.
std::string WriteTempFile(const std::vector<unsigned char>& bytes, const std::string& name = "test.jpg");
std::string TempFolder();
