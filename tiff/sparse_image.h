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
    // From calloc rather than a vector: the memory grows with the furthest
    // byte needed, and past a few megabytes it is taken whole from calloc,
    // whose large blocks come as untouched zero pages, so a file with a
    // directory near its end costs a few pages, not its size.
    std::unique_ptr<uint8_t, FreeBytes> bytes;
    uint64_t limit = 0;     // the file's size, or the bound: nothing beyond is held
    uint64_t capacity = 0;  // bytes allocated
    uint64_t length = 0;    // up to the end of the last range read or claimed
    uint64_t loaded = 0;    // the file's first bytes, read at the start in one read
};

// Starts an image of a file of limit bytes, reading its first bytes (the
// directories of most files lie there) in one read. False when the memory
// could not be had.
bool StartSparseImage(SparseImage& image, ByteSource& source, uint64_t limit);

// Reads [offset, offset + count) from the source into the image at the same
// offset, as much of it as lies inside the limit; returns whether all of it
// is there.
bool ReadIntoImage(SparseImage& image, ByteSource& source, uint64_t offset, uint64_t count);

// Makes the image reach to offset + count without reading those bytes (a
// maker note, shown only by its size, must lie inside the block).
void ClaimImageRange(SparseImage& image, uint64_t offset, uint64_t count);

// The image up to its length, for the EXIF walker; and all of its memory,
// for reading what has been read into it.
ByteView SparseImageView(const SparseImage& image);
ByteView SparseImageMemory(const SparseImage& image);
