// The walk of one EXIF image file directory: its entries printed into the
// Exif pane, the summary record filled, and every link followed (EXIF and
// interoperability sub-directories, GPS directory, next directory,
// thumbnail).
#pragma once

#include <cstdint>

#include "exif/exif_walk.h"

// Directories deeper than this level are not walked.
constexpr int kDeepestDirectoryLevel = 4;

// Walks the directory at directoryOffset (where its entry count lies,
// counted from the block's start); level is 0 for the first directory;
// kind is how the directory was reached.
void WalkExifDirectory(ExifWalk& walk, int64_t directoryOffset, int level, DirectoryKind kind);
