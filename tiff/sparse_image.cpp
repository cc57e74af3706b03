// The sparse image's memory and the reads into it.
#include "tiff/sparse_image.h"

#include <cstdlib>

void FreeBytes::operator()(uint8_t* bytes) const { std::free(bytes); }

bool StartSparseImage(SparseImage& image, uint64_t size) {
    image = SparseImage{};
    if (size > SIZE_MAX) return false;
    // One byte more than asked, so that an empty file has memory too.
    image.bytes.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size) + 1, 1)));
    if (!image.bytes) return false;
    image.capacity = size;
    return true;
}

void ClaimImageRange(SparseImage& image, uint64_t offset, uint64_t count) {
    if (offset > image.capacity) return;
    const uint64_t end = count > image.capacity - offset ? image.capacity : offset + count;
    if (end > image.length) image.length = end;
}

bool ReadIntoImage(SparseImage& image, ByteSource& source, uint64_t offset, uint64_t count) {
    if (offset > image.capacity) return false;
    const bool whole = count <= image.capacity - offset;
    const uint64_t inside = whole ? count : image.capacity - offset;
    const size_t arrived = SourceReadAt(source, offset, image.bytes.get() + offset, static_cast<size_t>(inside));
    ClaimImageRange(image, offset, arrived);
    return whole && arrived == inside;
}

ByteView SparseImageView(const SparseImage& image) {
    return MakeView(image.bytes.get(), static_cast<size_t>(image.length));
}
