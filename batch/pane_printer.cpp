// The panes of one file printed to a stream, as text, in colour or not.
#include "batch/pane_printer.h"

#include <cstring>
#include <string>

#include "batch/terminal_text.h"

namespace {

const char kRed[] = "\x1b[31m";
const char kReset[] = "\x1b[0m";

// Pane titles as the tabs show them, in UTF-8.
const char* const kPaneTitles[kPaneCount] = {
    "Jpeg\xE6\x83\x85\xE5\xA0\xB1",              // Jpeg情報
    "Thumbnail\xE7\x94\xBB\xE5\x83\x8F",         // Thumbnail画像
    "Exif\xE6\x83\x85\xE5\xA0\xB1",              // Exif情報
    "IPTC/XMP\xE6\x83\x85\xE5\xA0\xB1",          // IPTC/XMP情報
};

// Writes bytes with every CR that precedes an LF left out. The bytes between
// two such CRs go out as one block, so printing costs one pass over the
// text however many lines it holds.
void WriteLines(std::string& out, const std::string& text, size_t start, size_t length, bool terminal) {
    const size_t end = start + length;
    size_t from = start;  // first byte not yet written
    while (from < end) {
        const void* found = std::memchr(text.data() + from, '\r', end - from);
        size_t cr = found == nullptr ? end : static_cast<size_t>(static_cast<const char*>(found) - text.data());
        // The LF may open the next run: the CR is still a line end.
        bool lineEnd = cr < end && cr + 1 < text.size() && text[cr + 1] == '\n';
        size_t upTo = cr < end && !lineEnd ? cr + 1 : cr;
        if (terminal) {
            AppendForTerminal(out, text.data() + from, upTo - from);
        } else {
            out.append(text.data() + from, upTo - from);
        }
        from = lineEnd ? cr + 1 : upTo;
    }
}

}  // namespace

void AppendPaneText(std::string& out, const PaneText& pane, bool color, bool terminal) {
    if (!color) {
        WriteLines(out, pane.text, 0, pane.text.size(), terminal);
        return;
    }
    for (const ColorRun& run : pane.runs) {
        bool red = run.color != kColorBlack;
        if (red) out += kRed;
        WriteLines(out, pane.text, run.start, run.length, terminal);
        if (red) out += kReset;
    }
}

void AppendThumbnailPane(std::string& out, const ThumbnailState& thumbnail) {
    if (thumbnail.width > 0) {
        out += "Thumbnail: " + std::to_string(thumbnail.width) + " x " + std::to_string(thumbnail.height) + "\n";
    } else {
        out += "Image contains no thumbnail\n";
    }
}

void AppendPanes(std::string& out, const PaneTextSink& sink, const ThumbnailState& thumbnail, PaneChoice choice,
                 bool color, bool terminal) {
    switch (choice) {
        case PaneChoice::Jpeg: AppendPaneText(out, sink.Pane(ReportPane::Jpeg), color, terminal); return;
        case PaneChoice::Thumbnail: AppendThumbnailPane(out, thumbnail); return;
        case PaneChoice::Exif: AppendPaneText(out, sink.Pane(ReportPane::Exif), color, terminal); return;
        case PaneChoice::Iptc: AppendPaneText(out, sink.Pane(ReportPane::IptcXmp), color, terminal); return;
        case PaneChoice::All: break;
    }
    for (int i = 0; i < kPaneCount; i++) {
        if (i > 0) out += '\n';
        out += "== ";
        out += kPaneTitles[i];
        out += " ==\n";
        ReportPane pane = static_cast<ReportPane>(i);
        if (pane == ReportPane::Thumbnail) {
            AppendThumbnailPane(out, thumbnail);
        } else {
            const PaneText& text = sink.Pane(pane);
            AppendPaneText(out, text, color, terminal);
            if (!text.text.empty() && text.text.back() != '\n') out += '\n';
        }
    }
}
