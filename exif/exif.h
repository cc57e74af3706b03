// EXIF decoding: the block of the APP1 "Exif" segment, its header, the
// directory walk and the GPS directory. Output goes to the current pane.
#pragma once

#include "core/analysis.h"

// Decodes the whole EXIF block: its header, then every directory.
void DecodeExifBlock(Analysis& analysis, const JpegSegment& segment);
