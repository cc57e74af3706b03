// WebP files: a RIFF form of type WEBP whose chunks give the picture's size
// (VP8X's canvas, or the VP8 or VP8L bitstream's header of a simple file)
// and carry the EXIF block (EXIF) and the XMP packet ("XMP ").
#pragma once

#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// Fills found from the WebP file in source. False, with nothing reported,
// when the file does not begin with a RIFF header of type WEBP.
bool ReadWebpBlocks(ByteSource& source, Report& report, FoundBlocks& found);
