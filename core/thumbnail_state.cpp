// The current and spare pictures of one analysis's thumbnail.
#include <utility>

#include "core/thumbnail.h"

bool DecodeThumbnail(ThumbnailState& state, ByteView thumbnail, int* width, int* height) {
    int decodedWidth = 0;
    int decodedHeight = 0;
    if (!DecodeThumbnailPicture(thumbnail, state.spare, &decodedWidth, &decodedHeight)) return false;
    std::swap(state.current, state.spare);
    if (state.spare != nullptr) RecycleThumbnailPicture(*state.spare);
    state.width = decodedWidth;
    state.height = decodedHeight;
    *width = decodedWidth;
    *height = decodedHeight;
    return true;
}

void ReleaseThumbnail(ThumbnailState& state) {
    if (state.current != nullptr) {
        RecycleThumbnailPicture(*state.current);
        // The released picture's memory serves the next decode, unless a
        // spare is already kept.
        if (state.spare == nullptr) state.spare = std::move(state.current);
        state.current.reset();
    }
    state.width = 0;
    state.height = 0;
}
