#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>
#include <memory>

#include "cli/memory_reuse_posix.h"

namespace {

long MinorFaults() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

}  // namespace

// A file's segments and Extended XMP can take a dozen megabytes that are
// freed at its end. By default glibc gives free heap above twice its last
// mapped block back to the system, and every file faults the pages in again
// (three pages of four megabytes: 3,000 faults a file). Kept, they cost
// their faults once.
TEST(MemoryReuse, FreedMegabytesServeTheNextFile) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "a sanitizer's allocator keeps memory by its own rules";
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's allocator keeps memory by its own rules";
#endif
    KeepFreedMemoryForReuse();
    constexpr size_t kBlock = 4 << 20;
    long firstFile = 0;
    const long before = MinorFaults();
    for (int file = 0; file < 20; file++) {
        std::unique_ptr<char[]> blocks[3];
        for (auto& block : blocks) {
            block.reset(new char[kBlock]);
            std::memset(block.get(), file, kBlock);
        }
        if (file == 0) firstFile = MinorFaults() - before;
    }
    EXPECT_LT(MinorFaults() - before, firstFile + 19 * 100) << "faults of the first file: " << firstFile;
}
