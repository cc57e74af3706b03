// The containers other than JPEG and TIFF: told by their first bytes, read
// by their own reader into the one form every container hands on.
#pragma once

#include "core/analysis.h"
#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// Tells the container of the file in source by its first bytes and runs
// its reader (ISO base media, PNG or WebP). False, with nothing reported
// and found untouched, when the file is none of them.
bool ReadContainerBlocks(ByteSource& source, Report& report, FoundBlocks& found);

// What only some containers find, shown after the blocks every container
// hands on: further TIFF blocks (CR3's Exif and GPS directories) through
// the EXIF decoder, maker notes by their size, and how the container says
// the main picture is to be turned and mirrored. Into the Exif pane.
void DecodeMoreFoundBlocks(Analysis& analysis, const FoundBlocks& found);
