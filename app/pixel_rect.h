// A rectangle in pixels: left and top inclusive, right and bottom exclusive.
#pragma once

#include <cstdint>

struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline PixelRect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return PixelRect{left, top, right, bottom};
}

inline bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const PixelRect& a, const PixelRect& b) { return !(a == b); }

inline int32_t RectWidth(const PixelRect& r) { return r.right - r.left; }
inline int32_t RectHeight(const PixelRect& r) { return r.bottom - r.top; }
