// Standard input read through a counting stream, then drained.
#include "cli/stdin_source_posix.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// A stream longer than this is not read to its end: its size stays unknown.
constexpr uint64_t kLongestDrain = uint64_t{16} << 30;
constexpr size_t kDrainBlock = 1 << 16;

ssize_t ReadCounted(void* cookie, char* buffer, size_t size) {
    CountedInput& input = *static_cast<CountedInput*>(cookie);
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, buffer, size);
        if (got >= 0) {
            input.bytes += static_cast<uint64_t>(got);
            return got;
        }
        if (errno != EINTR) {
            input.error = errno;
            return -1;
        }
    }
}

}  // namespace

void OpenCountedInput(CountedInput& input) {
    input.bytes = 0;
    input.error = 0;
    cookie_io_functions_t functions{};
    functions.read = ReadCounted;
    input.stream = fopencookie(&input, "r", functions);
}

bool DrainCountedInput(CountedInput& input) {
    if (input.stream == nullptr || input.error != 0) return false;
    std::vector<char> block(kDrainBlock);
    while (input.bytes < kLongestDrain) {
        if (std::fread(block.data(), 1, block.size(), input.stream) < block.size()) {
            return std::feof(input.stream) != 0 && input.error == 0;
        }
    }
    return false;
}

void CloseCountedInput(CountedInput& input) {
    if (input.stream != nullptr) std::fclose(input.stream);
    input.stream = nullptr;
}
