// The panes of one file printed to a stream, as text, in colour or not.
#include "cli/pane_printer.h"

#include <cstring>
#include <string>


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
void WriteLines(FILE* out, const std::string& text, size_t start, size_t length) {
    const size_t end = start + length;
    size_t from = start;  // first byte not yet written
    while (from < end) {
        const void* found = std::memchr(text.data() + from, '\r', end - from);
        size_t cr = found == nullptr ? end : static_cast<size_t>(static_cast<const char*>(found) - text.data());
        // The LF may open the next run: the CR is still a line end.
        bool lineEnd = cr < end && cr + 1 < text.size() && text[cr + 1] == '\n';
        size_t upTo = cr < end && !lineEnd ? cr + 1 : cr;
        std::fwrite(text.data() + from, 1, upTo - from, out);
        from = lineEnd ? cr + 1 : upTo;
    }
}

}  // namespace

void PrintPaneText(FILE* out, const PaneText& pane, bool color) {
    if (!color) {
        WriteLines(out, pane.text, 0, pane.text.size());
        return;
    }
    for (const ColorRun& run : pane.runs) {
        bool red = run.color != kColorBlack;
        if (red) std::fputs(kRed, out);
        WriteLines(out, pane.text, run.start, run.length);
        if (red) std::fputs(kReset, out);
    }
}

void PrintThumbnailPane(FILE* out, const ThumbnailState& thumbnail) {
    if (thumbnail.width > 0) {
        std::fprintf(out, "Thumbnail: %d x %d\n", thumbnail.width, thumbnail.height);
    } else {
        std::fputs("Image contains no thumbnail\n", out);
    }
}

void PrintPanes(FILE* out, const PaneTextSink& sink, const ThumbnailState& thumbnail, PaneChoice choice, bool color) {
    switch (choice) {
        case PaneChoice::Jpeg: PrintPaneText(out, sink.Pane(ReportPane::Jpeg), color); return;
        case PaneChoice::Thumbnail: PrintThumbnailPane(out, thumbnail); return;
        case PaneChoice::Exif: PrintPaneText(out, sink.Pane(ReportPane::Exif), color); return;
        case PaneChoice::Iptc: PrintPaneText(out, sink.Pane(ReportPane::IptcXmp), color); return;
        case PaneChoice::All: break;
    }
    for (int i = 0; i < kPaneCount; i++) {
        std::fprintf(out, "%s== %s ==\n", i == 0 ? "" : "\n", kPaneTitles[i]);
        ReportPane pane = static_cast<ReportPane>(i);
        if (pane == ReportPane::Thumbnail) {
            PrintThumbnailPane(out, thumbnail);
        } else {
            const PaneText& text = sink.Pane(pane);
            PrintPaneText(out, text, color);
            if (!text.text.empty() && text.text.back() != '\n') std::fputc('\n', out);
        }
    }
}
