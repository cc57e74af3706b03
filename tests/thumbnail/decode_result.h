// What DecodeThumbnail makes of some bytes: the size stored in the summary
// and the current picture afterwards, starting with no picture.
#pragma once

#include <cstdint>
#include <vector>

#include "thumbnail/thumbnail.h"

struct DecodeResult {
    int32_t width;
    int32_t height;
    bool current;
    int currentWidth;
    int currentHeight;
};

inline DecodeResult Decode(const std::vector<uint8_t>& bytes) {
    ImageSummary summary;
    ResetImageSummary(summary);
    ReleaseCurrentThumbnail();
    DecodeThumbnail(summary, MakeView(bytes));
    DecodeResult result{summary.thumbnailPixelWidth, summary.thumbnailPixelHeight, false, -1, -1};
    result.current = CurrentThumbnailSize(&result.currentWidth, &result.currentHeight);
    ReleaseSegments(summary.segments);
    return result;
}
