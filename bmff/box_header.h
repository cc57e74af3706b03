// The header of an ISO base media file box: its size (32-bit, 64-bit when
// the 32-bit size is 1, to the end of its parent when it is 0), its type
// and, for a 'uuid' box, its 16-byte extended type. Every size is checked
// against the box's parent before the box is used.
#pragma once

#include <cstdint>
#include <string>

#include "core/byte_source.h"
#include "core/byte_view.h"
#include "core/read_at.h"

// A header of at most 8 + 8 (64-bit size) + 16 (uuid) bytes.
constexpr size_t kLongestBoxHeader = 32;

struct Box {
    uint32_t type = 0;
    uint64_t start = 0;    // the box's first byte, in its parent's coordinates
    uint64_t payload = 0;  // the first byte after the header
    uint64_t end = 0;      // just past the box
    uint8_t uuid[16] = {};
};

enum class BoxHeaderResult { Read, Damaged };

// Reads the header of the box at start from head, which holds the bytes
// from start onwards (as many as there are, up to kLongestBoxHeader), in a
// parent that ends at limit. Damaged, with problem saying why, when the
// header is cut off or the size is smaller than the header or runs past limit.
BoxHeaderResult ParseBoxHeader(ByteView head, uint64_t start, uint64_t limit, Box* box, std::string* problem);

// The same for the box at start within a view held in memory.
BoxHeaderResult BoxInView(ByteView view, uint64_t start, uint64_t limit, Box* box, std::string* problem);

// The same for the box at start in the source, read by offset.
BoxHeaderResult BoxInSource(ByteSource& source, uint64_t start, uint64_t limit, Box* box, std::string* problem);

bool BoxHasUuid(const Box& box, const uint8_t (&uuid)[16]);
