// File facts on POSIX systems: stat, localtime_r, and fopen with fstat.
#include "core/file_facts.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>

namespace {
// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

FileFacts FactsOf(const struct stat& info) {
    FileFacts facts;
    facts.exists = true;
    facts.isFolder = S_ISDIR(info.st_mode);
    facts.size = static_cast<uint64_t>(info.st_size);
    int64_t seconds = static_cast<int64_t>(info.st_mtim.tv_sec) + kEpochDifference;
    int64_t ticks = seconds * kTicksPerSecond + info.st_mtim.tv_nsec / 100;
    facts.lastWriteTime = ticks > 0 ? static_cast<uint64_t>(ticks) : 0;
    return facts;
}

}  // namespace

FileFacts QueryFileFacts(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return FileFacts{};
    return FactsOf(info);
}

CalendarTime FileTimeToLocalCalendar(uint64_t fileTime) {
    CalendarTime result;
    time_t seconds = static_cast<time_t>(static_cast<int64_t>(fileTime / kTicksPerSecond) - kEpochDifference);
    struct tm local;
    if (localtime_r(&seconds, &local) == nullptr) return result;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    return result;
}

FILE* OpenFileForReading(const char* path) {
    return std::fopen(path, "rb");
}

FILE* OpenFileWithFacts(const char* path, FileFacts* facts) {
    *facts = FileFacts{};
    // "e": closed on exec, as every descriptor of this program. Opened by
    // the C library itself, the stream costs no further system call.
    FILE* file = std::fopen(path, "rbe");
    if (file == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0) {
        const int error = errno;
        std::fclose(file);
        errno = error;
        return nullptr;
    }
    *facts = FactsOf(info);
    return file;
}
