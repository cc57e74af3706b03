// Whole records to standard output, each write checked.
#include "cli/record_output_posix.h"

#include <unistd.h>

#include <cerrno>

namespace {

// A file or a pipe takes records in blocks of about this size; records
// wait at most this long when they come slowly.
constexpr size_t kBlockBytes = 1 << 16;
constexpr std::chrono::seconds kLongestHold{1};

}  // namespace

int WriteAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

RecordOutput::RecordOutput(int fd, bool terminal, ProgressLine* progress)
    : fd_(fd), terminal_(terminal), progress_(progress), lastWrite_(Clock::now()) {
    held_.reserve(kBlockBytes + kBlockBytes / 2);
}

void RecordOutput::WriteHeld() {
    if (failure_ == 0 && !held_.empty()) {
        if (terminal_) progress_->Finish();
        failure_ = WriteAll(fd_, held_.data(), held_.size());
    }
    held_.clear();
    lastWrite_ = Clock::now();
}

void RecordOutput::Add(const char* before, const std::string& record, const char* after) {
    std::lock_guard<std::mutex> guard(lock_);
    if (failure_ != 0) return;
    held_ += before;
    held_ += record;
    held_ += after;
    if (terminal_ || held_.size() >= kBlockBytes || Clock::now() - lastWrite_ >= kLongestHold) WriteHeld();
}

void RecordOutput::Tell(const std::string& message) {
    std::lock_guard<std::mutex> guard(lock_);
    WriteHeld();
    progress_->Finish();
    // Standard error's own failures have nowhere to be told.
    (void)WriteAll(STDERR_FILENO, message.data(), message.size());
}

void RecordOutput::ShowProgress(size_t done, size_t total) {
    std::lock_guard<std::mutex> guard(lock_);
    progress_->Update(done, total);
}

bool RecordOutput::Flush() {
    std::lock_guard<std::mutex> guard(lock_);
    WriteHeld();
    return failure_ == 0;
}

void RecordOutput::FinishEarly(const std::string& closing) {
    std::lock_guard<std::mutex> guard(lock_);
    held_ += closing;
    WriteHeld();
    progress_->Finish();
}

int RecordOutput::Failure() {
    std::lock_guard<std::mutex> guard(lock_);
    return failure_;
}
