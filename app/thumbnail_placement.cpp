#include "app/thumbnail_placement.h"

#include <algorithm>

PixelRect ThumbnailTargetRect(const PixelRect& area, int32_t bitmapWidth, int32_t bitmapHeight) {
    int32_t drawWidth = 0;
    int32_t drawHeight = 0;
    // A bitmap always has pixels; the check keeps the ratios below defined.
    if (bitmapWidth > 0 && bitmapHeight > 0) {
        const int32_t areaWidth = RectWidth(area);
        const int32_t areaHeight = RectHeight(area);
        drawWidth = bitmapWidth;
        drawHeight = bitmapHeight;
        if (bitmapWidth > areaWidth || bitmapHeight > areaHeight) {
            // 64-bit products: a tall pane times a wide bitmap must not wrap.
            int64_t widthForHeight = static_cast<int64_t>(areaHeight) * bitmapWidth / bitmapHeight;
            int64_t heightForWidth = static_cast<int64_t>(areaWidth) * bitmapHeight / bitmapWidth;
            drawWidth = static_cast<int32_t>(std::min<int64_t>(areaWidth, widthForHeight));
            drawHeight = static_cast<int32_t>(std::min<int64_t>(areaHeight, heightForWidth));
        }
    }
    PixelRect target;
    target.left = (area.left + area.right - drawWidth) / 2;
    target.top = (area.top + area.bottom - drawHeight) / 2;
    target.right = (area.left + area.right + drawWidth) / 2;
    target.bottom = (area.top + area.bottom + drawHeight) / 2;
    return target;
}
