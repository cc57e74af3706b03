// A TIFF-structured file (TIFF, DNG and the TIFF-based RAW formats) read by
// offset: its directories and their values, the XMP, IPTC and Photoshop
// blocks, the preview and the main picture's size, never its pixels.
#pragma once

#include <cstdint>

#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "tiff/sparse_image.h"

struct Report;

struct TiffContainer {
    FoundBlocks blocks;    // type, XMP, Photoshop, IPTC, preview, main picture size
    SparseImage image;     // what the EXIF walk reads, at its file offsets
    uint64_t fileSize = 0;
    bool bigEndian = false;
    uint32_t firstDirectory = 0;
    bool chainThumbnail = false;  // a directory after IFD0 holds a JPEG thumbnail the walk shows
    bool grey = false;            // the main picture is black and white
};

// Reads the structure from the source's header on; detected is what the
// first bytes said (Tiff, Orf or Rw2). Problems of the structure are
// reported as non-fatal lines into the current pane; false, after a line,
// when there is no TIFF header or the source cannot be read by offset.
bool ReadTiffContainer(Report& report, ByteSource& source, FileType detected, TiffContainer& out);
