#include <gtest/gtest.h>

#include "report/report.h"
#include "support/report_capture.h"

TEST(Report, OutputBeforeAnyPaneIsSelectedIsDropped) {
    ReportCapture capture;
    AppendReport(capture.report(), "early\r\n");
    SetReportColor(capture.report(), kColorRed);
    ReportFatal(capture.report(), "No such file\r\n");
    ReportNonfatal(capture.report(), "x %d\r\n", 1);
    for (int pane = 0; pane < kPaneCount; pane++) {
        EXPECT_EQ(capture.Text(static_cast<ReportPane>(pane)), "");
    }
}

TEST(Report, FatalLineIsOneRedLineAndTheNextLineIsBlack) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    SetReportColor(capture.report(), kColorRed);  // whatever was set before, the line after an error is black
    ReportFatal(capture.report(), "No such file\r\n");
    AppendReport(capture.report(), "plain\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Exif), "Fatal Error  : No such file\r\nplain\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), "Fatal Error  : No such file\r\n");
}

TEST(Report, NonfatalLineFormatsItsIntegersInRed) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    ReportNonfatal(capture.report(), "Illegal value pointer for tag %04x\r\n", 0x829a);
    ReportNonfatal(capture.report(), "Illegal number format %d for tag %04x\r\n", 13, 0x10f);
    AppendReport(capture.report(), "after\r\n");
    const std::string expected =
        "Nonfatal Error : Illegal value pointer for tag 829a\r\n"
        "Nonfatal Error : Illegal number format 13 for tag 010f\r\n";
    EXPECT_EQ(capture.Text(ReportPane::Exif), expected + "after\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), expected);
    ASSERT_EQ(capture.sink.Pane(ReportPane::Exif).runs.size(), 2u);
}

// Message and error lines are kept as data with their pane and colour;
// plain text is not.
TEST(Report, MessageAndErrorLinesAreKeptWithPaneAndColour) {
    ReportCapture capture;
    Report& report = capture.report();
    ReportMessage(report, "dropped before a pane is selected\r\n");
    SelectReportPane(report, ReportPane::Exif);
    ReportMessage(report, "Exif header %d bytes\r\n", 22);
    AppendReport(report, "    Make = \"x\"\r\n");
    ReportFatal(report, "invalid marker\r\n");
    SelectReportPane(report, ReportPane::IptcXmp);
    ReportErrorLine(report, "Unrecognised IPTC tag: %d\r\n", 600);
    ReportNonfatal(report, "IPTC length mismatch(%d)\r\n", 5);
    const std::vector<std::pair<ReportPane, std::string>> expected = {
        {ReportPane::Exif, "Exif header 22 bytes"},
        {ReportPane::Exif, "Fatal Error  : invalid marker"},
        {ReportPane::IptcXmp, "Unrecognised IPTC tag: 600"},
        {ReportPane::IptcXmp, "Nonfatal Error : IPTC length mismatch(5)"},
    };
    ASSERT_EQ(report.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(report.lines[i].pane, expected[i].first) << i;
        EXPECT_EQ(report.lines[i].text, expected[i].second) << i;
        EXPECT_EQ(report.lines[i].error, i > 0) << i;
    }
    EXPECT_EQ(capture.RedText(ReportPane::IptcXmp), "Unrecognised IPTC tag: 600\r\nNonfatal Error : IPTC length mismatch(5)\r\n");
}

TEST(Report, PanesNeverMix) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Jpeg);
    AppendReport(capture.report(), "summary\r\n");
    SelectReportPane(capture.report(), ReportPane::Exif);
    AppendReport(capture.report(), "exif\r\n");
    SelectReportPane(capture.report(), ReportPane::IptcXmp);
    AppendReport(capture.report(), "iptc\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Jpeg), "summary\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Exif), "exif\r\n");
    EXPECT_EQ(capture.Text(ReportPane::IptcXmp), "iptc\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Thumbnail), "");
}

TEST(Report, ColourSetInOnePaneDoesNotColourAnother) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    SetReportColor(capture.report(), kColorRed);
    SelectReportPane(capture.report(), ReportPane::Jpeg);
    AppendReport(capture.report(), "black\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Jpeg), "");
}

TEST(Report, LongFormattedLinesAreNeverCut) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    std::string path(5000, 'p');
    AppendReportFormat(capture.report(), "can't open '%s'\r\n", path.c_str());
    EXPECT_EQ(capture.Text(ReportPane::Exif), "can't open '" + path + "'\r\n");
}

TEST(PaneTextSink, ColorAtFollowsTheRuns) {
    PaneTextSink sink;
    sink.AppendText(ReportPane::Exif, "ab", 2);
    sink.SetColor(ReportPane::Exif, kColorRed);
    sink.AppendText(ReportPane::Exif, "cd", 2);
    sink.AppendText(ReportPane::Exif, "e", 1);  // colour stays until set again, as in the control
    sink.SetColor(ReportPane::Exif, kColorBlack);
    sink.AppendText(ReportPane::Exif, "f", 1);
    const uint32_t expected[] = {0, 0, 255, 255, 255, 0};
    for (size_t i = 0; i < 6; i++) EXPECT_EQ(sink.ColorAt(ReportPane::Exif, i), expected[i]) << i;
    EXPECT_EQ(sink.Pane(ReportPane::Exif).runs.size(), 3u);
    sink.Clear();
    EXPECT_EQ(sink.Pane(ReportPane::Exif).text, "");
}
