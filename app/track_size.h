// The smallest size the user can drag the main window to.
#pragma once

#include <cstdint>

#include "app/pixel_rect.h"

struct TrackSize {
    int32_t width = 0;
    int32_t height = 0;
};

// Room for the frame and caption, the status bar and a strip of 104 pixels
// for the tabs and panes; the client area itself may shrink to zero width.
TrackSize MinimumTrackSize(const PixelRect& windowRect, const PixelRect& clientRect, int32_t statusBarHeight);
