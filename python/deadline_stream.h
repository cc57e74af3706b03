// A path that is not a regular file (a FIFO, a terminal, a device) read
// under a deadline: a FIFO no one writes to would otherwise hold its
// reader for ever, on open and again on every read.
#pragma once

#include <cstdio>

// True when path exists and is neither a regular file nor a folder. Asking
// opens nothing, so it never waits on a FIFO.
bool IsSpecialFile(const char* path);

struct DeadlineStream {
    FILE* stream = nullptr;  // nullptr when the path could not be opened
    bool timedOut = false;   // a read met the deadline: what came is not all of the file
    int openError = 0;       // errno of the failed open
    // Private to the reads.
    int fd = -1;
    long long deadlineNs = 0;
};

// Opens the special file at path without waiting for a writer; its stream
// gives end of file at the deadline, seconds from now, and sets timedOut.
void OpenDeadlineStream(DeadlineStream& file, const char* path, double seconds);

// Closes the stream (when it was opened).
void CloseDeadlineStream(DeadlineStream& file);
