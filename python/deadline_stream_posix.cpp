// Special files read through poll(): never a wait past the deadline.
#include "python/deadline_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

namespace {

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits for data (or the writer's end) before each read: a FIFO opened
// without waiting, whose writer never came, reads as empty at once rather
// than blocking, so the read alone cannot tell "nothing yet" from "the end".
ssize_t ReadBeforeDeadline(void* cookie, char* target, size_t size) {
    DeadlineStream& file = *static_cast<DeadlineStream*>(cookie);
    for (;;) {
        const long long left = file.deadlineNs - NowNs();
        if (left <= 0) {
            file.timedOut = true;
            return 0;
        }
        pollfd wanted{file.fd, POLLIN, 0};
        const long long waitMs = left / 1000000 + 1;
        const int ready = poll(&wanted, 1, waitMs > INT_MAX ? INT_MAX : static_cast<int>(waitMs));
        if (ready < 0 && errno != EINTR) return -1;
        if (ready <= 0) continue;
        const ssize_t got = read(file.fd, target, size);
        if (got >= 0) return got;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
    }
}

int CloseCookie(void* cookie) {
    DeadlineStream& file = *static_cast<DeadlineStream*>(cookie);
    const int result = close(file.fd);
    file.fd = -1;
    return result;
}

}  // namespace

bool IsSpecialFile(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

void OpenDeadlineStream(DeadlineStream& file, const char* path, double seconds) {
    file = DeadlineStream{};
    // A limit of more than a year is as good as none, and its nanoseconds
    // still fit the count.
    constexpr double kLongestSeconds = 366.0 * 24 * 3600;
    file.deadlineNs = NowNs() + static_cast<long long>((seconds < kLongestSeconds ? seconds : kLongestSeconds) * 1e9);
    // O_NONBLOCK: the open of a FIFO does not wait for a writer, and no
    // read waits; O_NOCTTY: a terminal named does not become ours.
    file.fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file.fd < 0) {
        file.openError = errno;
        return;
    }
    cookie_io_functions_t functions{ReadBeforeDeadline, nullptr, nullptr, CloseCookie};
    file.stream = fopencookie(&file, "rb", functions);
    if (file.stream == nullptr) {
        file.openError = errno;
        close(file.fd);
        file.fd = -1;
    }
}

void CloseDeadlineStream(DeadlineStream& file) {
    if (file.stream != nullptr) std::fclose(file.stream);
    file.stream = nullptr;
}
