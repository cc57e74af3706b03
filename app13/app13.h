// Photoshop image resources of APP13 and the IPTC datasets inside them.
// Output goes to the current report pane; what is decoded is kept in the
// analysis's data too.
#pragma once

#include "core/analysis.h"
#include "core/byte_view.h"

void DecodePhotoshopResources(Analysis& analysis, const JpegSegment& segment);
// Returns 1 when the walk ended normally, 0 when it ended on an error.
int DecodeIptcRecords(Analysis& analysis, ByteView data);
