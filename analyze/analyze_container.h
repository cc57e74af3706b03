// The files that are not JPEG: told by their first bytes, read by their
// container (tiff/ for TIFF, DNG, the TIFF-based RAW formats and RAF), and
// what the container found handed to the same decoders as a JPEG's
// segments.
#pragma once

#include "core/analysis.h"
#include "core/byte_source.h"
#include "core/found_blocks.h"

// Reads and decodes a source whose first byte is not a JPEG's. A stream
// that cannot seek is read into memory first, up to a bound. True when the
// summary was reached; false, after a red line naming the file, when the
// file is of no format read or its container could not be read.
bool ReadAndDecodeContainer(Analysis& analysis, ByteSource& source, const char* name);

// Hands the blocks a container found to their decoders: Photoshop
// resources or bare IPTC datasets and the XMP packet into the IPTC/XMP
// pane, an EXIF block (from its TIFF header) into the Exif pane, and the
// preview when the walk showed no thumbnail.
void DecodeFoundBlocks(Analysis& analysis, const FoundBlocks& blocks);

// Shows the preview a container chose and decodes it as the thumbnail.
void ShowFoundPreview(Analysis& analysis, const FoundBlocks& blocks);
