#include "app/track_size.h"

TrackSize MinimumTrackSize(const PixelRect& windowRect, const PixelRect& clientRect, int32_t statusBarHeight) {
    TrackSize size;
    size.width = RectWidth(windowRect) - RectWidth(clientRect);
    size.height = RectHeight(windowRect) - RectHeight(clientRect) + statusBarHeight + 104;
    return size;
}
