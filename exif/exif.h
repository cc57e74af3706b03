// EXIF decoding: the header of the APP1 "Exif" segment, the directory walk
// and the GPS directory. Output goes to the current report pane.
#pragma once

#include "jpeg/image_summary.h"

void DecodeExifHeader(ImageSummary& summary, const JpegSegment& segment);
