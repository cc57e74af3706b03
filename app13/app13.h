// Photoshop image resources of APP13 and the IPTC datasets inside them.
// Output goes to the current report pane; what is decoded is kept in the
// analysis's data too.
#pragma once

#include "core/analysis.h"
#include "core/byte_view.h"

void DecodePhotoshopResources(Analysis& analysis, const JpegSegment& segment);
// True when the walk ended normally, false when it ended on an error.
bool DecodeIptcRecords(Analysis& analysis, ByteView data);
