// SIGINT, SIGTERM and the once-a-second write, on a thread of their own.
#include "cli/run_watch_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// Written by the handler, read by the watching thread: the self-pipe lets
// a handler wake a thread with nothing but write(), which is safe there.
int wakeRead = -1;
int wakeWrite = -1;
// Lock-free, so safe in a handler, and read by other threads without a race.
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a handler may only touch lock-free atomics");

// The byte that tells the thread to stop; a signal sends its number.
constexpr char kStop = 0;
constexpr int kWatchMilliseconds = 1000;

extern "C" void NoteSignal(int number) {
    const int saved = errno;
    caughtSignal = number;
    const char byte = static_cast<char>(number);
    (void)write(wakeWrite, &byte, 1);
    errno = saved;
}

void InstallHandlers() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    wakeRead = ends[0];
    wakeWrite = ends[1];
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes of the workers go on as if nothing came.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

RunWatch::RunWatch(RecordOutput& output, std::string closing) : output_(output), closing_(std::move(closing)) {
    InstallHandlers();
    thread_ = std::thread(&RunWatch::Watch, this);
}

RunWatch::~RunWatch() {
    const char stop = kStop;
    if (wakeWrite >= 0 && write(wakeWrite, &stop, 1) != 1) {
        thread_.detach();  // it cannot be woken: it ends with the process
        return;
    }
    thread_.join();
}

int RunWatch::LateSignal() { return caughtSignal.load(); }

void RunWatch::Watch() {
    if (wakeRead < 0) return;
    for (;;) {
        pollfd wake{wakeRead, POLLIN, 0};
        const int ready = poll(&wake, 1, kWatchMilliseconds);
        char byte = kStop;
        if (ready > 0 && read(wakeRead, &byte, 1) == 1) {
            if (byte == kStop) return;
            output_.FinishEarly(closing_);
            _exit(128 + byte);
        }
        output_.Flush();
    }
}
