// The progress line of a run over many files.
#include "batch/progress.h"

namespace {

// A run shorter than this shows no line at all; a drawn line is redrawn at
// most this often.
constexpr std::chrono::milliseconds kQuietStart{1000};
constexpr std::chrono::milliseconds kRedrawEvery{100};

}  // namespace

ProgressLine::ProgressLine(FILE* terminal, bool shown)
    : terminal_(terminal), shown_(shown), start_(Clock::now()), lastDrawn_(start_) {}

void ProgressLine::Update(size_t done, size_t total) {
    if (!shown_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < kQuietStart || (drawn_ && now - lastDrawn_ < kRedrawEvery)) return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    // \r and erase to the end of the line: the line is drawn over itself.
    if (total > 0) {
        const double left = rate > 0 ? static_cast<double>(total - done) / rate : 0;
        std::fprintf(terminal_, "\r\x1b[K%zu of %zu files, %.0f files/s, %.0f s left", done, total, rate, left);
    } else {
        std::fprintf(terminal_, "\r\x1b[K%zu files, %.0f files/s", done, rate);
    }
    std::fflush(terminal_);
    drawn_ = true;
    lastDrawn_ = now;
}

void ProgressLine::Finish() {
    if (!drawn_) return;
    std::fputs("\r\x1b[K", terminal_);
    std::fflush(terminal_);
    drawn_ = false;
}
