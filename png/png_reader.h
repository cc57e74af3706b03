// PNG files: the chunks from the signature to the first image data chunk
// (IDAT), where the metadata of files as cameras, phones and editors write
// them lies: IHDR for the size, eXIf for the EXIF block, and the text
// chunks that carry XMP and the raw profiles.
#pragma once

#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// Fills found from the PNG file in source. False, with nothing reported,
// when the file does not begin with the PNG signature.
bool ReadPngBlocks(ByteSource& source, Report& report, FoundBlocks& found);
