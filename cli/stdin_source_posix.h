// Standard input as one JPEG stream: read through a stream that counts its
// bytes, then read to its end, so that the program writing into the pipe
// is not stopped by SIGPIPE and the record can give the stream's size.
#pragma once

#include <cstdint>
#include <cstdio>

struct CountedInput {
    FILE* stream = nullptr;  // reads standard input; nullptr when it could not be made
    uint64_t bytes = 0;      // read through it so far
    int error = 0;           // the system's error number of a failed read
};

// Opens the counting stream over standard input; the caller closes it with
// CloseCountedInput.
void OpenCountedInput(CountedInput& input);

// Reads and drops the rest, up to a bound (a stream may never end); true
// when its end was reached, so that bytes is its size.
bool DrainCountedInput(CountedInput& input);

void CloseCountedInput(CountedInput& input);
