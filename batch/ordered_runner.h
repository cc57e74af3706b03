// Work over the files of a walk on several threads, its results handed on
// in the walk's order. Results wait in a window of fixed size, so memory
// stays bounded however many files there are and however they are paced.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "batch/file_walk.h"

// What one file gives: text for standard output and for standard error,
// and whether it was reported as asked.
struct FileOutcome {
    std::string out;
    std::string err;
    bool ok = true;
};

// Whatever a worker keeps from file to file (its analysis, say).
struct WorkerState {
    virtual ~WorkerState() = default;
};

using MakeWorker = std::function<std::unique_ptr<WorkerState>()>;
using ReportItem = std::function<FileOutcome(WorkerState&, const WalkItem&)>;
using EmitOutcome = std::function<void(FileOutcome&)>;

// Reports every item of the walk on `jobs` workers and emits the outcomes in
// walk order. Folders the walk could not read are told, in order, in the
// err of the outcome that follows them (or of a last, empty one).
// stopped, when given, is asked before each item is taken: once it says
// yes, no more are (the output failed, say), and the run ends when the
// items taken are done.
void RunInOrder(FileWalk& walk, unsigned jobs, const MakeWorker& makeWorker, const ReportItem& report,
                const EmitOutcome& emit, const std::function<bool()>& stopped = nullptr);
