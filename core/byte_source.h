// Where the segment reader takes a file's bytes from: an open stream, read
// through its buffer, or bytes already in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/byte_view.h"

struct ByteSource {
    FILE* stream = nullptr;  // read from when set, otherwise memory
    ByteView memory;
    size_t position = 0;     // in memory
    int seekable = -1;       // for a stream: not yet known, 0 or 1
    uint64_t bytesReadAt = 0;  // what SourceReadAt delivered, for the tests that bound it
};

inline ByteSource StreamSource(FILE* stream) {
    ByteSource source;
    source.stream = stream;
    return source;
}

inline ByteSource MemorySource(ByteView bytes) {
    ByteSource source;
    source.memory = bytes;
    return source;
}

// The next byte, or -1 at the end.
inline int SourceByte(ByteSource& source) {
    if (source.stream != nullptr) return std::getc(source.stream);
    if (source.position >= source.memory.size) return -1;
    return source.memory.data[source.position++];
}

// Reads up to count bytes into target; returns how many arrived.
size_t SourceRead(ByteSource& source, uint8_t* target, size_t count);

// The source's size in bytes: a file's or the memory's. False for a
// stream that cannot seek (a pipe), whose size is not known until its end.
bool SourceSize(ByteSource& source, uint64_t* size);

// Reads up to count bytes at offset, counted from the source's first byte,
// into target; returns how many arrived (fewer at the end of the source,
// none from a stream that cannot seek). Containers read what they need
// this way, by offset, rather than the whole file. The position of the
// sequential reads above is not kept.
size_t SourceReadAt(ByteSource& source, uint64_t offset, uint8_t* target, size_t count);

enum class StepOver { Done, SourceEnds, CannotSeek };

// Steps over count bytes (count >= 1) as a read of them would: Done when
// the last of them exists, SourceEnds when the source ends before it. A
// stream that cannot seek (a pipe) is left untouched and says so.
StepOver SourceStepOver(ByteSource& source, size_t count);
