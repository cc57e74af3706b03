// The XMP packet of APP1, shown in the current report pane and kept in the
// analysis's data.
#pragma once

#include "core/analysis.h"

void ShowXmpPacket(Analysis& analysis, const JpegSegment& segment);
