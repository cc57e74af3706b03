// Standard output of a run, written in whole records: a record (a JSON
// line, a CSV row, a file's panes) is held until a block is full, a second
// has passed, or the run ends, and the held records go out in one write.
// Whatever stops the process then leaves whole records behind, and a run
// that stalls still shows, within a second, every record it finished.
// Every write is checked: the first failure is kept and nothing more is
// written.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "batch/progress.h"

class RecordOutput {
public:
    // fd: where records go; terminal: it is a terminal, which takes each
    // record at once. progress: a line on a terminal of its own that is
    // erased before text goes to standard output on the same terminal.
    RecordOutput(int fd, bool terminal, ProgressLine* progress);

    // Adds one record, whole (with what goes before and after it), and
    // writes what is held when it is due.
    void Add(const char* before, const std::string& record, const char* after);
    // Writes what is held, then the text on standard error.
    void Tell(const std::string& message);
    // The progress line, drawn between writes.
    void ShowProgress(size_t done, size_t total);
    // Writes everything held; false when a write has failed (now or before).
    bool Flush();
    // For a run stopped by a signal: writes what is held and then closing
    // (the end of a JSON array, say).
    void FinishEarly(const std::string& closing);

    // The system's error number of the first failed write; 0 when none failed.
    int Failure();

private:
    using Clock = std::chrono::steady_clock;
    void WriteHeld();  // with the lock held

    std::mutex lock_;
    int fd_;
    bool terminal_;
    ProgressLine* progress_;
    std::string held_;
    int failure_ = 0;
    Clock::time_point lastWrite_;
};

// Writes all of size bytes to fd, through interruptions and short writes;
// returns 0 or the system's error number.
int WriteAll(int fd, const char* bytes, size_t size);
