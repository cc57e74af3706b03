// EXIF decoding: the block of the APP1 "Exif" segment, its header, the
// directory walk and the GPS directory. Output goes to the current pane.
#pragma once

#include <cstdint>

#include "core/analysis.h"
#include "core/byte_view.h"

// Decodes the whole EXIF block: its header, then every directory.
void DecodeExifBlock(Analysis& analysis, const JpegSegment& segment);

// Decodes a TIFF-structured file as its EXIF block: file holds the file's
// bytes at their own offsets (those the walk needs; the rest may read as
// zero), fileSize is the file's real size, firstDirectory the header's link.
void DecodeTiffStructure(Analysis& analysis, ByteView file, uint64_t fileSize, bool bigEndian,
                         uint32_t firstDirectory);
