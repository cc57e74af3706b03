// Splits a JPEG file into marker segments from SOI to the first SOS.
#pragma once

#include "jpeg/image_summary.h"

// Reads summary.openFile from its first byte. Returns 1 when the first SOS
// was reached, 0 on failure (after a red fatal line, except for a missing SOI).
int ReadJpegSegments(ImageSummary& summary);
