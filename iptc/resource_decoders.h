// The Photoshop resources whose data is shown beyond their name and size.
// Each reads the segment through the view, from dataStart on, and returns
// false, having shown nothing, when a field it needs lies past the segment
// end; the caller then reports the length mismatch and stops the segment.
#pragma once

#include <cstdint>

#include "jpeg/byte_view.h"

bool ShowVersionInfo(ByteView segment, int64_t dataStart);
bool ShowResolutionInfo(ByteView segment, int64_t dataStart);
bool ShowJpegQuality(ByteView segment, int64_t dataStart);
bool ShowThumbnailResource(ByteView segment, int64_t dataStart);
bool ShowXmlData(ByteView segment, int64_t dataStart, int32_t size);
