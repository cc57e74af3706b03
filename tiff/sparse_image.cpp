// The sparse image's memory, grown as far as needed, and the reads into it.
#include "tiff/sparse_image.h"

#include <cstdlib>
#include <cstring>

namespace {

// Read at the start: a camera's directories and values lie in the first
// kilobytes (its maker note, often longer, is not read).
constexpr uint64_t kFirstRead = 8 * 1024;
// Up to this the memory is grown and its new part zeroed; beyond, it is
// taken at the limit's size from calloc, untouched until read into.
constexpr uint64_t kGrownUpTo = 4ull << 20;

bool Reallocate(SparseImage& image, uint64_t capacity) {
    if (capacity > SIZE_MAX - 1) return false;
    uint8_t* grown = nullptr;
    if (capacity <= kGrownUpTo) {
        grown = static_cast<uint8_t*>(std::realloc(image.bytes.get(), static_cast<size_t>(capacity) + 1));
        if (grown == nullptr) return false;
        image.bytes.release();
        std::memset(grown + image.capacity, 0, static_cast<size_t>(capacity - image.capacity) + 1);
    } else {
        grown = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(capacity) + 1, 1));
        if (grown == nullptr) return false;
        if (image.capacity > 0) std::memcpy(grown, image.bytes.get(), static_cast<size_t>(image.capacity));
    }
    image.bytes.reset(grown);
    image.capacity = capacity;
    return true;
}

// Makes the memory reach end (never past the limit); false when it cannot.
bool EnsureCapacity(SparseImage& image, uint64_t end) {
    if (end > image.limit) end = image.limit;
    if (end <= image.capacity) return true;
    uint64_t capacity = image.capacity * 2 > end ? image.capacity * 2 : end;
    if (capacity > kGrownUpTo) capacity = image.limit;
    if (capacity > image.limit) capacity = image.limit;
    return Reallocate(image, capacity);
}

}  // namespace

void FreeBytes::operator()(uint8_t* bytes) const { std::free(bytes); }

bool StartSparseImage(SparseImage& image, ByteSource& source, uint64_t limit) {
    image = SparseImage{};
    image.limit = limit;
    const uint64_t first = limit < kFirstRead ? limit : kFirstRead;
    if (!Reallocate(image, first)) return false;
    image.loaded = SourceReadAt(source, 0, image.bytes.get(), static_cast<size_t>(first));
    return true;
}

void ClaimImageRange(SparseImage& image, uint64_t offset, uint64_t count) {
    if (offset > image.limit) return;
    const uint64_t end = count > image.limit - offset ? image.limit : offset + count;
    if (!EnsureCapacity(image, end)) return;
    if (end > image.length) image.length = end;
}

bool ReadIntoImage(SparseImage& image, ByteSource& source, uint64_t offset, uint64_t count) {
    if (offset > image.limit) return false;
    const bool whole = count <= image.limit - offset;
    const uint64_t end = whole ? offset + count : image.limit;
    if (!EnsureCapacity(image, end)) return false;
    const uint64_t from = offset > image.loaded ? offset : image.loaded;
    uint64_t arrived = end;  // all of it in the first bytes read
    if (from < end) {
        arrived = from + SourceReadAt(source, from, image.bytes.get() + from, static_cast<size_t>(end - from));
    }
    if (arrived > image.length) image.length = arrived;
    return whole && arrived == end;
}

ByteView SparseImageView(const SparseImage& image) {
    return MakeView(image.bytes.get(), static_cast<size_t>(image.length));
}

ByteView SparseImageMemory(const SparseImage& image) {
    return MakeView(image.bytes.get(), static_cast<size_t>(image.capacity));
}
