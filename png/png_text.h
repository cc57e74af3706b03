// The text chunks of a PNG file that carry metadata: iTXt with the keyword
// XML:com.adobe.xmp (an XMP packet), and tEXt, zTXt or iTXt with one of
// the keywords "Raw profile type exif", "APP1", "iptc", "8bim" or "xmp",
// whose text is a profile in hex after a header line and its length, as
// ImageMagick writes them.
#pragma once

#include <cstdint>

#include "core/byte_view.h"
#include "core/found_blocks.h"
#include "report/report.h"

// Reads the text chunk of the given type ('tEXt', 'zTXt' or 'iTXt') whose
// data is data, found at fileOffset; fills the block its keyword names
// unless that block was already found.
void ReadPngTextChunk(uint32_t type, ByteView data, uint64_t fileOffset, Report& report, FoundBlocks& found);

// The bytes of a raw profile's text: a line with its name, a line with its
// length in bytes, then that many bytes in hex (white space between them
// ignored). False when the text is not such a profile.
bool DecodeRawProfile(ByteView text, std::vector<uint8_t>& bytes);
