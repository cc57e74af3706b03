// A file's bytes at their own offsets, holding only the ranges read into
// it: the rest reads as zero bytes. The EXIF walker reads a TIFF-structured
// file as one block whose offsets count from the file's first byte; this
// gives it that block while only the directories, their values and a
// thumbnail are read from the file, not the pixels between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/byte_source.h"
#include "core/byte_view.h"

struct FreeBytes {
    void operator()(uint8_t* bytes) const;
};

struct SparseImage {
    // From calloc rather than a vector: a vector writes every byte it makes,
    // while calloc's large blocks come as untouched zero pages, so a 60 MB
    // file with directories at both ends costs a few pages, not 60 MB.
    std::unique_ptr<uint8_t, FreeBytes> bytes;
    uint64_t capacity = 0;  // bytes allocated: the file's size, or the bound
    uint64_t length = 0;    // up to the end of the last range read or claimed
};

// Allocates an image for a file of size bytes. False when the memory could
// not be had.
bool StartSparseImage(SparseImage& image, uint64_t size);

// Reads [offset, offset + count) from the source into the image at the same
// offset, as much of it as lies inside the image; returns whether all of
// it arrived.
bool ReadIntoImage(SparseImage& image, ByteSource& source, uint64_t offset, uint64_t count);

// Makes the image reach to offset + count without reading those bytes (a
// maker note, shown only by its size, must lie inside the block).
void ClaimImageRange(SparseImage& image, uint64_t offset, uint64_t count);

// The image up to its length, for the EXIF walker.
ByteView SparseImageView(const SparseImage& image);
