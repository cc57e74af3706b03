#include <gtest/gtest.h>

#include <string>

#include "report/pane_text_sink.h"

// Clearing keeps the panes' memory for the next file but nothing of what
// they held: text, colour runs and the colour for the next text are reset,
// small pane or large.
TEST(PaneClear, NothingOfTheLastFileSurvives) {
    for (size_t lines : {3u, 60000u}) {
        PaneTextSink sink;
        for (int pane = 0; pane < kPaneCount; pane++) {
            ReportPane target = static_cast<ReportPane>(pane);
            for (size_t i = 0; i < lines; i++) sink.AppendText(target, "line\r\n", 6);
            sink.SetColor(target, kColorRed);  // left red, as after a cut-off error line
            sink.AppendText(target, "red\r\n", 5);
        }
        sink.Clear();
        for (int pane = 0; pane < kPaneCount; pane++) {
            ReportPane target = static_cast<ReportPane>(pane);
            EXPECT_EQ(sink.Pane(target).text, "") << lines;
            EXPECT_TRUE(sink.Pane(target).runs.empty()) << lines;
            sink.AppendText(target, "next\r\n", 6);
            EXPECT_EQ(sink.Pane(target).text, "next\r\n") << lines;
            ASSERT_EQ(sink.Pane(target).runs.size(), 1u) << lines;
            EXPECT_EQ(sink.Pane(target).runs[0].start, 0u) << lines;
            EXPECT_EQ(sink.Pane(target).runs[0].color, kColorBlack) << lines;
            EXPECT_EQ(sink.ColorAt(target, 0), kColorBlack) << lines;
        }
    }
}
