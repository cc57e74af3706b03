// File facts on Windows: file attributes, file times and a read-shared open.
#include "core/file_facts.h"

#include <windows.h>
#include <share.h>

#include <cerrno>

FileFacts QueryFileFacts(const char* path) {
    FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return facts;
    facts.exists = true;
    facts.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    facts.lastWriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
    return facts;
}

CalendarTime FileTimeToLocalCalendar(uint64_t fileTime) {
    CalendarTime result;
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFFu);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    FILETIME local;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) return result;
    result.year = fields.wYear;
    result.month = fields.wMonth;
    result.day = fields.wDay;
    result.hour = fields.wHour;
    result.minute = fields.wMinute;
    result.second = fields.wSecond;
    return result;
}

FILE* OpenFileForReading(const char* path) {
    // Share read access only: the open fails while another program writes the file.
    return _fsopen(path, "rb", _SH_DENYWR);
}

FILE* OpenFileWithFacts(const char* path, FileFacts* facts) {
    *facts = QueryFileFacts(path);
    if (!facts->exists) {
        errno = ENOENT;
        return nullptr;
    }
    return facts->isFolder ? nullptr : OpenFileForReading(path);
}
