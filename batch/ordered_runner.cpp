// Files reported in parallel and emitted in order through a bounded window.
#include "batch/ordered_runner.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Results that may wait for the one before them, per worker.
constexpr size_t kWindowPerWorker = 8;

std::string ProblemLines(FileWalk& walk) {
    std::string lines;
    for (const std::string& problem : walk.TakeProblems()) lines += "pixloupe-report: " + problem + "\n";
    return lines;
}

// Takes the next item with the problems met before it; false at the end,
// or when the run was stopped.
bool TakeNext(FileWalk& walk, WalkItem* item, std::string* problems, const std::function<bool()>& stopped) {
    if (stopped && stopped()) {
        problems->clear();
        return false;
    }
    const bool more = walk.Next(item);
    *problems = ProblemLines(walk);
    return more;
}

void RunOnThisThread(FileWalk& walk, const MakeWorker& makeWorker, const ReportItem& report, const EmitOutcome& emit,
                     const std::function<bool()>& stopped) {
    std::unique_ptr<WorkerState> worker = makeWorker();
    WalkItem item;
    std::string problems;
    while (TakeNext(walk, &item, &problems, stopped)) {
        FileOutcome outcome = report(*worker, item);
        outcome.err.insert(0, problems);
        if (!problems.empty()) outcome.ok = false;
        emit(outcome);
    }
    if (!problems.empty()) {
        FileOutcome last{std::string(), problems, false};
        emit(last);
    }
}

// The workers share the walk and the window. There is no thread of its own
// for emitting: the worker that stores the outcome next in order emits it and
// any ready after it, so a run on N jobs is N threads, and a thread sleeps
// only when the window is full (each wake-up costs tens of microseconds on a
// virtual machine, as much as a small file's analysis).
struct SharedRun {
    SharedRun(FileWalk& walk, size_t window, const EmitOutcome& emit, const std::function<bool()>& stopped)
        : walk(walk), slots(window), emit(emit), stopped(stopped) {}
    std::mutex lock;
    std::condition_variable windowFreed;
    FileWalk& walk;
    std::vector<std::optional<FileOutcome>> slots;
    const EmitOutcome& emit;
    const std::function<bool()>& stopped;
    size_t taken = 0;     // items handed to workers
    size_t emitted = 0;   // outcomes handed on
    size_t waiting = 0;   // workers asleep on a full window
    bool emitting = false;  // a worker is emitting: outcomes stay in order
    bool walkEnded = false;
    std::string lastProblems;  // told after the last item
};

// Emits the outcomes that are ready in order, one worker at a time; called
// and returning with the lock held.
void EmitReady(SharedRun& run, std::unique_lock<std::mutex>& guard) {
    if (run.emitting) return;
    run.emitting = true;
    for (;;) {
        std::optional<FileOutcome>& next = run.slots[run.emitted % run.slots.size()];
        if (!next.has_value()) break;
        FileOutcome outcome = std::move(*next);
        next.reset();
        run.emitted++;
        if (run.waiting > 0) run.windowFreed.notify_one();
        guard.unlock();
        run.emit(outcome);
        guard.lock();
    }
    run.emitting = false;
}

void Work(SharedRun& run, const MakeWorker& makeWorker, const ReportItem& report) {
    std::unique_ptr<WorkerState> worker = makeWorker();
    std::unique_lock<std::mutex> guard(run.lock);
    for (;;) {
        while (!run.walkEnded && run.taken - run.emitted >= run.slots.size()) {
            run.waiting++;
            run.windowFreed.wait(guard);
            run.waiting--;
        }
        if (run.walkEnded) return;
        WalkItem item;
        std::string problems;
        if (!TakeNext(run.walk, &item, &problems, run.stopped)) {
            run.walkEnded = true;
            run.lastProblems = problems;
            run.windowFreed.notify_all();
            return;
        }
        const size_t sequence = run.taken++;
        guard.unlock();
        FileOutcome outcome = report(*worker, item);
        outcome.err.insert(0, problems);
        if (!problems.empty()) outcome.ok = false;
        guard.lock();
        run.slots[sequence % run.slots.size()] = std::move(outcome);
        EmitReady(run, guard);
    }
}

}  // namespace

void RunInOrder(FileWalk& walk, unsigned jobs, const MakeWorker& makeWorker, const ReportItem& report,
                const EmitOutcome& emit, const std::function<bool()>& stopped) {
    if (jobs <= 1) {
        RunOnThisThread(walk, makeWorker, report, emit, stopped);
        return;
    }
    SharedRun run(walk, kWindowPerWorker * jobs, emit, stopped);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < jobs; i++) workers.emplace_back(Work, std::ref(run), std::cref(makeWorker), std::cref(report));
    for (std::thread& worker : workers) worker.join();
    // Every worker has stored its outcomes, and the last to store one
    // emitted whatever was left.
    if (!run.lastProblems.empty()) {
        FileOutcome last{std::string(), run.lastProblems, false};
        emit(last);
    }
}
