// What watches a run from beside it: SIGINT and SIGTERM, and records held
// too long. The signal handler only notes the signal and wakes the
// watching thread, which writes the records finished, closes the output
// and ends the process with 128 + the signal's number (130, 143).
#pragma once

#include <string>
#include <thread>

#include "cli/record_output_posix.h"

class RunWatch {
public:
    // closing: what ends the output when the run is stopped early (the end
    // of a JSON array). A write of the thread that fails is kept in the
    // output, where the run finds it.
    RunWatch(RecordOutput& output, std::string closing);
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
    std::thread thread_;
};
