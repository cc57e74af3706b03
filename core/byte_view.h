// A bounds-checked, read-only view over bytes that came from a file.
// Every parser reads file data through these functions: an offset or a
// count taken from the file can never reach outside the view, because
// every read reports failure instead of reading there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ByteView {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

inline ByteView MakeView(const std::vector<uint8_t>& bytes) {
    return ByteView{bytes.data(), bytes.size()};
}

inline ByteView MakeView(const uint8_t* data, size_t size) {
    return ByteView{data, size};
}

// True when [offset, offset + count) lies inside the view. Negative or
// overflowing numbers from the file are simply outside.
inline bool ViewHas(ByteView view, int64_t offset, int64_t count) {
    if (offset < 0 || count < 0) return false;
    if (static_cast<uint64_t>(offset) > view.size) return false;
    return static_cast<uint64_t>(count) <= view.size - static_cast<uint64_t>(offset);
}

inline bool SubView(ByteView view, int64_t offset, int64_t count, ByteView* out) {
    if (!ViewHas(view, offset, count)) return false;
    out->data = view.data + offset;
    out->size = static_cast<size_t>(count);
    return true;
}

// The bytes from offset to the end of the view (empty when offset is past it).
inline ByteView TailView(ByteView view, int64_t offset) {
    if (offset < 0 || static_cast<uint64_t>(offset) >= view.size) return ByteView{view.data, 0};
    return ByteView{view.data + offset, view.size - static_cast<size_t>(offset)};
}

inline bool ReadU8(ByteView view, int64_t offset, uint8_t* out) {
    if (!ViewHas(view, offset, 1)) return false;
    *out = view.data[offset];
    return true;
}

inline bool ReadU16At(ByteView view, int64_t offset, bool bigEndian, uint16_t* out) {
    if (!ViewHas(view, offset, 2)) return false;
    const uint8_t* p = view.data + offset;
    *out = bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
    return true;
}

inline bool ReadU32At(ByteView view, int64_t offset, bool bigEndian, uint32_t* out) {
    if (!ViewHas(view, offset, 4)) return false;
    const uint8_t* p = view.data + offset;
    *out = bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                     : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    return true;
}

inline bool ReadS32At(ByteView view, int64_t offset, bool bigEndian, int32_t* out) {
    uint32_t u = 0;
    if (!ReadU32At(view, offset, bigEndian, &u)) return false;
    *out = static_cast<int32_t>(u);
    return true;
}

// True when the view holds, at offset, exactly the given bytes.
inline bool ViewMatches(ByteView view, int64_t offset, const char* text, size_t count) {
    if (!ViewHas(view, offset, static_cast<int64_t>(count))) return false;
    for (size_t i = 0; i < count; i++) {
        if (view.data[offset + static_cast<int64_t>(i)] != static_cast<uint8_t>(text[i])) return false;
    }
    return true;
}
