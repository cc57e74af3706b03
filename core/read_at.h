// Reads of whole blocks at an offset, for the container readers: a block
// is read only when it lies inside the source and is no larger than a
// metadata block can sensibly be, so a size field of the file can never
// make a reader allocate or read more than that.
#pragma once

#include <cstdint>
#include <vector>

#include "core/byte_source.h"

// The largest metadata block (EXIF, XMP, a container's directory of items)
// a container reader takes into memory; real ones are a few kilobytes to a
// few megabytes.
constexpr uint64_t kMostBlockBytes = 16ull << 20;

// Reads exactly count bytes at offset into out. False, with out emptied,
// when [offset, offset + count) does not lie within the first sourceSize
// bytes, when count exceeds kMostBlockBytes, or when fewer bytes arrive.
bool ReadBlockAt(ByteSource& source, uint64_t sourceSize, uint64_t offset, uint64_t count,
                 std::vector<uint8_t>& out);

// True when [offset, offset + count) lies within [0, limit), without overflow.
inline bool RangeWithin(uint64_t offset, uint64_t count, uint64_t limit) {
    return offset <= limit && count <= limit - offset;
}

// A box or chunk type as the big-endian number of its four characters.
constexpr uint32_t FourCc(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
           uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
}

// The four characters of a box or chunk type, for messages; bytes that are
// not printable ASCII show as '?'.
struct FourCcText {
    char text[5];
};
FourCcText FourCcOf(uint32_t code);
