// What DecodeThumbnail makes of some bytes: the size it gives and the
// current picture afterwards, starting with no picture.
#pragma once

#include <cstdint>
#include <vector>

#include "core/thumbnail.h"

struct DecodeResult {
    int32_t width;
    int32_t height;
    bool current;
    int currentWidth;
    int currentHeight;
};

inline DecodeResult Decode(const std::vector<uint8_t>& bytes) {
    ThumbnailState state;
    int width = 0;
    int height = 0;
    const bool decoded = DecodeThumbnail(state, MakeView(bytes), &width, &height);
    return DecodeResult{decoded ? width : 0, decoded ? height : 0, state.current != nullptr && state.width > 0,
                        state.width, state.height};
}
