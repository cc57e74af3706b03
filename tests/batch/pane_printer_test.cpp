#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "batch/pane_printer.h"
#include "batch/terminal_text.h"
#include "report/pane_text_sink.h"

namespace {

// What AppendPaneText makes of a pane.
std::string Printed(const PaneText& pane, bool color) {
    std::string text;
    AppendPaneText(text, pane, color);
    return text;
}

PaneText Black(const std::string& text) {
    PaneTextSink sink;
    sink.AppendText(ReportPane::Exif, text.data(), text.size());
    return sink.Pane(ReportPane::Exif);
}

}  // namespace

TEST(PanePrinter, LineEndsPrintAsLineFeedsAndOtherBytesAsMade) {
    const struct {
        const char* name;
        std::string text;
        std::string printed;
    } cases[] = {
        {"empty", "", ""},
        {"crlf lines", "a\r\nbc\r\n", "a\nbc\n"},
        {"no line end", "abc", "abc"},
        {"lone cr kept", "a\rb\r\n", "a\rb\n"},
        {"cr at the end kept", "ab\r", "ab\r"},
        {"two crs then lf", "a\r\r\nb", "a\r\nb"},
        {"lone lf kept", "a\nb\r\n", "a\nb\n"},
        {"only crlf", "\r\n\r\n", "\n\n"},
        {"zero byte and high bytes", std::string("x\0\xE6\x83\x85\r\n", 7), std::string("x\0\xE6\x83\x85\n", 6)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Printed(Black(c.text), false), c.printed) << c.name;
        EXPECT_EQ(Printed(Black(c.text), true), c.printed) << c.name;  // all black: no escapes
    }
}

// A CR closing a red run and the LF opening the next black run still make
// one line end; each red run is wrapped in the colour escapes.
TEST(PanePrinter, RedRunsAreWrappedAndLineEndsSpanRuns) {
    PaneTextSink sink;
    sink.AppendText(ReportPane::Exif, "ok\r\n", 4);
    sink.SetColor(ReportPane::Exif, kColorRed);
    sink.AppendText(ReportPane::Exif, "bad\r", 4);
    sink.SetColor(ReportPane::Exif, kColorBlack);
    sink.AppendText(ReportPane::Exif, "\nnext\r\n", 7);
    const PaneText& pane = sink.Pane(ReportPane::Exif);
    EXPECT_EQ(Printed(pane, true), "ok\n\x1b[31mbad\x1b[0m\nnext\n");
    EXPECT_EQ(Printed(pane, false), "ok\nbad\nnext\n");
}

// Printing must cost one pass over the text: eight times the lines in
// about eight times the processor time, not sixty-four.
TEST(PanePrinter, PrintingEightTimesTheLinesTakesAboutEightTimesAsLong) {
    auto paneOf = [](size_t lines) {
        PaneTextSink sink;
        for (size_t i = 0; i < lines; i++) {
            sink.SetColor(ReportPane::Exif, i % 4 == 3 ? kColorRed : kColorBlack);
            sink.AppendText(ReportPane::Exif, "Tag 0100 ImageWidth : 640\r\n", 27);
        }
        return sink.Pane(ReportPane::Exif);
    };
    auto secondsToPrint = [](const PaneText& pane) {
        double best = 1e9;
        // One output kept from run to run: fresh pages for a growing text
        // would be timed too, and more of them for the larger pane.
        std::string out;
        for (int run = 0; run < 3; run++) {
            out.clear();
            std::clock_t start = std::clock();
            AppendPaneText(out, pane, true);
            best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
        }
        return best;
    };
    const size_t small = 25000;
    PaneText smallPane = paneOf(small);
    PaneText largePane = paneOf(8 * small);
    // 26 bytes a line, and the two escapes around every fourth line.
    EXPECT_EQ(Printed(largePane, true).size(), 8 * small * 26 + 8 * small / 4 * 9);
    double largeSeconds = secondsToPrint(largePane);  // first, so it cannot profit from a warm cache
    double smallSeconds = secondsToPrint(smallPane);
    EXPECT_LT(largeSeconds, 24 * std::max(smallSeconds, 0.002)) << smallSeconds << " s then " << largeSeconds << " s";
}

// On a terminal a control character from a file shows as '?'; TAB, CR, LF
// and all other text, valid UTF-8 or not, pass.
TEST(TerminalText, ControlCharactersAreReplaced) {
    const std::pair<std::string, std::string> cases[] = {
        {"Make\x1b]0;pwned\x07\x1b[2J", "Make?]0;pwned??[2J"},
        {"a\tb\r\nc", "a\tb\r\nc"},
        {std::string("nul\0del\x7f", 8), "nul?del?"},
        {"csi \xC2\x9B 31m, nbsp \xC2\xA0", "csi ? 31m, nbsp \xC2\xA0"},
        {"lone \x9B, latin \xE9, \xE6\x83\x85", "lone ?, latin \xE9, \xE6\x83\x85"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendForTerminal(out, c.first.data(), c.first.size());
        EXPECT_EQ(out, c.second) << c.first;
    }
    // The panes on a terminal, and redirected.
    EXPECT_EQ(Printed(Black("a\x1b[2J\r\n"), false), "a\x1b[2J\n");
    std::string shown;
    AppendPaneText(shown, Black("a\x1b[2J\r\n"), true, true);
    EXPECT_EQ(shown, "a?[2J\n");
}
