// The walk of one EXIF image file directory: its entries printed into the
// Exif pane, the summary record filled, and every link followed (EXIF and
// interoperability sub-directories, GPS directory, next directory,
// thumbnail).
#pragma once

#include <cstdint>

#include "core/analysis.h"
#include "core/byte_view.h"

// Directories deeper than this level are not walked.
constexpr int kDeepestDirectoryLevel = 4;

// block is the EXIF block from its TIFF header to its end; every offset in
// it counts from the block's start. directoryOffset is where the directory's
// entry count lies; level is 0 for the first directory, whose walk starts
// the walk's budget; kind is how the directory was reached.
void WalkExifDirectory(Analysis& analysis, ByteView block, int64_t directoryOffset, int level, DirectoryKind kind);
