// Files reported in parallel and emitted in order through a bounded window.
#include "cli/ordered_runner.h"

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

// Takes the next item with the problems met before it; false at the end.
bool TakeNext(FileWalk& walk, WalkItem* item, std::string* problems) {
    const bool more = walk.Next(item);
    *problems = ProblemLines(walk);
    return more;
}

void RunOnThisThread(FileWalk& walk, const MakeWorker& makeWorker, const ReportItem& report, const EmitOutcome& emit) {
    std::unique_ptr<WorkerState> worker = makeWorker();
    WalkItem item;
    std::string problems;
    while (TakeNext(walk, &item, &problems)) {
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

struct SharedRun {
    SharedRun(FileWalk& walk, size_t window) : walk(walk), slots(window) {}
    std::mutex lock;
    std::condition_variable changed;
    FileWalk& walk;
    std::vector<std::optional<FileOutcome>> slots;
    size_t taken = 0;     // items handed to workers
    size_t emitted = 0;   // outcomes handed on
    bool walkEnded = false;
    std::string lastProblems;  // told after the last item
};

void Work(SharedRun& run, const MakeWorker& makeWorker, const ReportItem& report) {
    std::unique_ptr<WorkerState> worker = makeWorker();
    for (;;) {
        WalkItem item;
        std::string problems;
        size_t sequence = 0;
        {
            std::unique_lock<std::mutex> guard(run.lock);
            run.changed.wait(guard, [&run] { return run.walkEnded || run.taken - run.emitted < run.slots.size(); });
            if (run.walkEnded) return;
            if (!TakeNext(run.walk, &item, &problems)) {
                run.walkEnded = true;
                run.lastProblems = problems;
                run.changed.notify_all();
                return;
            }
            sequence = run.taken++;
        }
        FileOutcome outcome = report(*worker, item);
        outcome.err.insert(0, problems);
        if (!problems.empty()) outcome.ok = false;
        {
            std::lock_guard<std::mutex> guard(run.lock);
            run.slots[sequence % run.slots.size()] = std::move(outcome);
        }
        run.changed.notify_all();
    }
}

void EmitAll(SharedRun& run, const EmitOutcome& emit) {
    for (;;) {
        FileOutcome outcome;
        {
            std::unique_lock<std::mutex> guard(run.lock);
            std::optional<FileOutcome>& next = run.slots[run.emitted % run.slots.size()];
            run.changed.wait(guard, [&] { return next.has_value() || (run.walkEnded && run.emitted == run.taken); });
            if (!next.has_value()) break;
            outcome = std::move(*next);
            next.reset();
            run.emitted++;
        }
        run.changed.notify_all();
        emit(outcome);
    }
    if (!run.lastProblems.empty()) {
        FileOutcome last{std::string(), run.lastProblems, false};
        emit(last);
    }
}

}  // namespace

void RunInOrder(FileWalk& walk, unsigned jobs, const MakeWorker& makeWorker, const ReportItem& report,
                const EmitOutcome& emit) {
    if (jobs <= 1) {
        RunOnThisThread(walk, makeWorker, report, emit);
        return;
    }
    SharedRun run(walk, kWindowPerWorker * jobs);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < jobs; i++) workers.emplace_back(Work, std::ref(run), std::cref(makeWorker), std::cref(report));
    EmitAll(run, emit);
    for (std::thread& worker : workers) worker.join();
}
