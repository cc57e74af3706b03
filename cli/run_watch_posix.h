// What watches a run from beside it: SIGINT and SIGTERM, and records held
// too long. The signal handler only notes the signal and wakes the
// watching thread, which writes the records finished, closes the output
// and ends the process with 128 + the signal's number (130, 143).
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "cli/record_output_posix.h"

class RunWatch {
public:
    // closing: what ends the output when the run is stopped early (the end
    // of a JSON array). failed: called with the error number when a write
    // failed; it does not return.
    RunWatch(RecordOutput& output, std::string closing, std::function<void(int)> failed);
    // Stops the thread; a signal that comes later is still noted.
    ~RunWatch();
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    // The signal that came after the thread stopped, or 0.
    static int LateSignal();

private:
    void Watch();

    RecordOutput& output_;
    std::string closing_;
    std::function<void(int)> failed_;
    std::thread thread_;
};
