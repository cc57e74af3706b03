// Where the thumbnail goes in its pane: centred, shrunk to fit with its
// aspect ratio kept when it is larger than the pane, never enlarged.
#pragma once

#include <cstdint>

#include "app/pixel_rect.h"

// The target rectangle for a bitmapWidth x bitmapHeight picture in area.
// A picture without pixels gets an empty rectangle at the area's centre.
PixelRect ThumbnailTargetRect(const PixelRect& area, int32_t bitmapWidth, int32_t bitmapHeight);
