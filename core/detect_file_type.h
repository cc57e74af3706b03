// What a file is, told from its first bytes alone, never from its name.
#pragma once

#include <cstddef>

#include "core/byte_view.h"
#include "core/found_blocks.h"

// How many first bytes the detection looks at; fewer are fine (a short
// file matches only the signatures it holds whole).
constexpr size_t kDetectionBytes = 16;

// The container the first bytes announce. The TIFF family comes back as
// Tiff, Orf or Rw2 by its header; which TIFF it really is (CR2, DNG, NEF,
// ...) its header's tail and its directories tell. Unknown when no
// signature matches.
FileType DetectFileType(ByteView firstBytes);

// True for a file that is one TIFF structure from its first byte (TIFF,
// DNG, the TIFF-based RAW formats): its EXIF block is the file itself.
bool IsTiffStructured(FileType type);
