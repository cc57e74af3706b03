// Photoshop image resources of APP13, the IPTC datasets inside them, and
// the XMP packet of APP1. Output goes to the current report pane.
#pragma once

#include "jpeg/byte_view.h"
#include "jpeg/image_summary.h"

void DecodePhotoshopResources(const JpegSegment& segment);
// Returns 1 when the walk ended normally, 0 when it ended on an error.
int DecodeIptcRecords(ByteView data);
void ShowXmpPacket(const JpegSegment& segment);
