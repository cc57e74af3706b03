// The ISO base media files among photographs: HEIF, HEIC, AVIF and Canon's
// CR3. The reader walks the top-level boxes by offset, reading only the
// ftyp box, the meta box, Canon's boxes and the data of the items wanted.
#pragma once

#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// Fills found from the file in source. False, with nothing reported, when
// the file does not begin with an ftyp box of a brand we read; true
// otherwise, problems on the way having been reported.
bool ReadBmffBlocks(ByteSource& source, Report& report, FoundBlocks& found);
