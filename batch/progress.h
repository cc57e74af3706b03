// One line on standard error that tells how a long run is going: files
// done (of the total once the walk has counted them), files a second and
// the time left. Shown only on a terminal, after the first second.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

class ProgressLine {
public:
    // shown: whether the line may be drawn at all (a terminal, not turned off).
    ProgressLine(FILE* terminal, bool shown);
    // total is 0 while it is not known yet.
    void Update(size_t done, size_t total);
    // Clears the line, if it was drawn, so the terminal is as before.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;
    FILE* terminal_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
};
