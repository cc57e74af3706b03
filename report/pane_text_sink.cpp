// The portable report backend: per pane, the text and its colour runs.
#include "report/pane_text_sink.h"

#include <algorithm>

namespace {
constexpr size_t kKeptCapacity = 1 << 20;  // bytes
}  // namespace

void PaneTextSink::AppendText(ReportPane pane, const char* text, size_t length) {
    if (length == 0) return;
    PaneText& target = panes[static_cast<int>(pane)];
    size_t start = target.text.size();
    target.text.append(text, length);
    if (!target.runs.empty() && target.runs.back().color == target.insertColor) {
        target.runs.back().length += length;
    } else {
        target.runs.push_back(ColorRun{start, length, target.insertColor});
    }
}

void PaneTextSink::SetColor(ReportPane pane, uint32_t color) {
    panes[static_cast<int>(pane)].insertColor = color;
}

// The panes keep their memory for the next file, so a run over many files
// does not grow every pane again from nothing; a pane that grew past
// kKeptCapacity gives its memory back.
void PaneTextSink::Clear() {
    for (PaneText& pane : panes) {
        if (pane.text.capacity() > kKeptCapacity || pane.runs.capacity() * sizeof(ColorRun) > kKeptCapacity) {
            pane = PaneText{};
            continue;
        }
        pane.text.clear();
        pane.runs.clear();
        pane.insertColor = kColorBlack;
    }
}

uint32_t PaneTextSink::ColorAt(ReportPane pane, size_t offset) const {
    const std::vector<ColorRun>& runs = panes[static_cast<int>(pane)].runs;
    auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                  [](size_t value, const ColorRun& run) { return value < run.start; });
    if (after == runs.begin()) return kColorBlack;
    const ColorRun& run = *(after - 1);
    return offset < run.start + run.length ? run.color : kColorBlack;
}
