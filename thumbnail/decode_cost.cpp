// What decoding a thumbnail costs, known before it is decoded: its bytes,
// and the pixels its frame header claims. A few hundred bytes cut short
// can claim a megapixel, which the decoder fills in whole.
#include "core/jpeg_markers.h"
#include "core/thumbnail.h"

namespace {

constexpr int64_t kPixelsPerCostByte = 4;

// The frame size in the first start-of-frame segment, looked for from the
// start-of-image marker on; false when none is found before the scan.
bool ReadFrameHeader(ByteView jpeg, uint16_t* width, uint16_t* height) {
    uint8_t byte = 0;
    if (!ReadU8(jpeg, 0, &byte) || byte != 0xFF || !ReadU8(jpeg, 1, &byte) || byte != kMarkerSoi) return false;
    int64_t at = 2;
    for (;;) {
        if (!ReadU8(jpeg, at, &byte) || byte != 0xFF) return false;
        while (ReadU8(jpeg, at, &byte) && byte == 0xFF) at++;
        const int marker = byte;
        at++;
        if (IsStandaloneMarker(marker)) continue;
        if (marker == kMarkerSos) return false;
        uint16_t length = 0;
        if (!ReadU16At(jpeg, at, true, &length) || length < 2) return false;
        if (IsStartOfFrame(marker)) {
            return ReadU16At(jpeg, at + 3, true, height) && ReadU16At(jpeg, at + 5, true, width);
        }
        at += length;
    }
}

bool ReadFrameSize(ByteView jpeg, int64_t* pixels) {
    uint16_t width = 0;
    uint16_t height = 0;
    if (!ReadFrameHeader(jpeg, &width, &height)) return false;
    *pixels = int64_t(width) * height;
    return true;
}

}  // namespace

bool ReadJpegFrameSize(ByteView jpeg, int* width, int* height) {
    uint16_t frameWidth = 0;
    uint16_t frameHeight = 0;
    if (!ReadFrameHeader(jpeg, &frameWidth, &frameHeight)) return false;
    *width = frameWidth;
    *height = frameHeight;
    return true;
}

size_t ThumbnailDecodeCost(ByteView thumbnail) {
    int64_t pixels = 0;
    // A picture claiming more is refused before any pixel is decoded. Four
    // pixels cost about as much to make as a byte of listing to show, so a
    // walk can pay for a few whole megapixels.
    if (ReadFrameSize(thumbnail, &pixels) && pixels <= kMostThumbnailPixels) {
        return thumbnail.size + static_cast<size_t>(pixels / kPixelsPerCostByte);
    }
    return thumbnail.size;
}
