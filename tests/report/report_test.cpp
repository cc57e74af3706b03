#include <gtest/gtest.h>

#include "report/report.h"
#include "support/report_capture.h"

TEST(Report, OutputBeforeAnyPaneIsSelectedIsDropped) {
    ReportCapture capture;
    AppendReport("early\r\n");
    SetReportColor(kColorRed);
    ReportFatal("No such file\r\n");
    ReportNonfatal("x %d\r\n", 1, 0);
    for (int pane = 0; pane < kPaneCount; pane++) {
        EXPECT_EQ(capture.Text(static_cast<ReportPane>(pane)), "");
    }
}

TEST(Report, FatalLineIsOneRedLineAndTheNextLineIsBlack) {
    ReportCapture capture;
    SelectReportPane(ReportPane::Exif);
    SetReportColor(kColorRed);  // whatever was set before, the line after an error is black
    ReportFatal("No such file\r\n");
    AppendReport("plain\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Exif), "Fatal Error  : No such file\r\nplain\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), "Fatal Error  : No such file\r\n");
}

TEST(Report, NonfatalLineFormatsItsIntegersInRed) {
    ReportCapture capture;
    SelectReportPane(ReportPane::Exif);
    ReportNonfatal("Illegal value pointer for tag %04x\r\n", 0x829a, 0);
    ReportNonfatal("Illegal number format %d for tag %04x\r\n", 13, 0x10f);
    AppendReport("after\r\n");
    const std::string expected =
        "Nonfatal Error : Illegal value pointer for tag 829a\r\n"
        "Nonfatal Error : Illegal number format 13 for tag 010f\r\n";
    EXPECT_EQ(capture.Text(ReportPane::Exif), expected + "after\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), expected);
    ASSERT_EQ(capture.sink.Pane(ReportPane::Exif).runs.size(), 2u);
}

TEST(Report, PanesNeverMix) {
    ReportCapture capture;
    SelectReportPane(ReportPane::Jpeg);
    AppendReport("summary\r\n");
    SelectReportPane(ReportPane::Exif);
    AppendReport("exif\r\n");
    SelectReportPane(ReportPane::IptcXmp);
    AppendReport("iptc\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Jpeg), "summary\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Exif), "exif\r\n");
    EXPECT_EQ(capture.Text(ReportPane::IptcXmp), "iptc\r\n");
    EXPECT_EQ(capture.Text(ReportPane::Thumbnail), "");
}

TEST(Report, ColourSetInOnePaneDoesNotColourAnother) {
    ReportCapture capture;
    SelectReportPane(ReportPane::Exif);
    SetReportColor(kColorRed);
    SelectReportPane(ReportPane::Jpeg);
    AppendReport("black\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Jpeg), "");
}

TEST(Report, LongFormattedLinesAreNeverCut) {
    ReportCapture capture;
    SelectReportPane(ReportPane::Exif);
    std::string path(5000, 'p');
    AppendReportFormat("can't open '%s'\r\n", path.c_str());
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
