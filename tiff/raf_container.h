// Fujifilm's RAF: a header pointing to an embedded JPEG, whose APP1
// segment holds the EXIF block, and to the raw data. The JPEG's metadata
// segments are read by offset; its pixels and the raw data are not.
#pragma once

#include "core/byte_source.h"
#include "core/found_blocks.h"

struct Report;

// Fills blocks from the embedded JPEG: the EXIF block (from its TIFF
// header), the XMP packet, the Photoshop resources, the main picture's
// size (the JPEG's frame, as the peer readers give it) and, when the EXIF
// block holds no thumbnail, the JPEG itself as the preview. False, after a
// line, when the header or the JPEG cannot be read.
bool ReadRafContainer(Report& report, ByteSource& source, uint64_t fileSize, FoundBlocks& blocks);
