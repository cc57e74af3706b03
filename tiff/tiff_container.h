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

// Reads the structure of a source of fileSize bytes, read by offset, from
// its header on; detected is what the first bytes said (Tiff, Orf or Rw2).
// Problems of the structure are reported as non-fatal lines into the
// current pane; false, after a line, when there is no TIFF header.
bool ReadTiffContainer(Report& report, ByteSource& source, uint64_t fileSize, FileType detected, TiffContainer& out);
