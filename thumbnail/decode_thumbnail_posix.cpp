// The thumbnail decoded natively with libjpeg-turbo; the pixels are kept
// as the current thumbnail until the panes are cleared.
#include <turbojpeg.h>

#include <cstdint>
#include <new>
#include <vector>

#include "thumbnail/thumbnail.h"

namespace {

constexpr int kBytesPerPixel = 3;

struct CurrentThumbnail {
    std::vector<uint8_t> pixels;  // RGB, row after row
    int width = 0;
    int height = 0;
};

CurrentThumbnail currentThumbnail;

// The decoder handle, released on every way out.
struct Decompressor {
    tjhandle handle = tjInitDecompress();
    ~Decompressor() {
        if (handle != nullptr) tjDestroy(handle);
    }
};

bool SizeIsSane(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    return static_cast<int64_t>(width) * height <= kMostThumbnailPixels;
}

// A full decode: warnings such as a premature end of data count as failure.
bool DecodeJpeg(ByteView bytes, CurrentThumbnail& decoded) {
    if (bytes.size == 0) return false;
    Decompressor decompressor;
    if (decompressor.handle == nullptr) return false;
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(decompressor.handle, bytes.data, static_cast<unsigned long>(bytes.size), &width,
                            &height, &subsampling, &colorspace) != 0) {
        return false;
    }
    if (!SizeIsSane(width, height)) return false;
    try {
        decoded.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (tjDecompress2(decompressor.handle, bytes.data, static_cast<unsigned long>(bytes.size),
                      decoded.pixels.data(), width, 0, height, TJPF_RGB, TJFLAG_STOPONWARNING) != 0) {
        return false;
    }
    decoded.width = width;
    decoded.height = height;
    return true;
}

}  // namespace

void DecodeThumbnail(ImageSummary& summary, ByteView thumbnail) {
    CurrentThumbnail decoded;
    if (!DecodeJpeg(thumbnail, decoded)) return;
    summary.thumbnailPixelWidth = decoded.width;
    summary.thumbnailPixelHeight = decoded.height;
    // A later thumbnail of the same file replaces the earlier one.
    currentThumbnail = std::move(decoded);
}

void ReleaseCurrentThumbnail() { currentThumbnail = CurrentThumbnail{}; }

bool CurrentThumbnailSize(int* width, int* height) {
    *width = currentThumbnail.width;
    *height = currentThumbnail.height;
    return !currentThumbnail.pixels.empty();
}
