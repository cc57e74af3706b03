// What the core needs to know of a path from the platform.
#pragma once

#include <cstdint>
#include <cstdio>

struct FileFacts {
    bool exists = false;
    bool isFolder = false;
    uint64_t size = 0;
    uint64_t lastWriteTime = 0;  // 100 ns ticks since 1601-01-01 UTC
};

struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads the attributes of path; exists is false when they cannot be read.
FileFacts QueryFileFacts(const char* path);

// The file time (UTC) as local calendar fields.
CalendarTime FileTimeToLocalCalendar(uint64_t fileTime);

// Opens the file for binary reading as the platform does it for us
// (on Windows the open shares read access only). nullptr on failure.
FILE* OpenFileForReading(const char* path);

// Opens the file for binary reading and reads its attributes from the open
// file where the platform can: one look-up of the path instead of two. A
// folder may open: its facts say so. nullptr (errno set) on failure.
FILE* OpenFileWithFacts(const char* path, FileFacts* facts);
