// Splits a JPEG file into marker segments from SOI to the first SOS.
#pragma once

#include "core/analysis.h"
#include "core/byte_source.h"

// Reads the source from its first byte into the analysis's summary record
// and segment list. True when the first SOS was reached, false on failure
// (after a red fatal line, except for a missing SOI).
bool ReadJpegSegments(Analysis& analysis, ByteSource& source);
