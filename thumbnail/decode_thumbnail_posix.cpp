// The thumbnail decoded natively with libjpeg-turbo; the picture is kept as
// the current thumbnail until the panes are cleared.
//
// Nothing on this side puts the picture on a screen, so it is kept as the
// decoder produces it before any display step: the colour planes as the JPEG
// stores them (Y, Cb, Cr, each at its own sampling). Every block is still
// entropy-decoded and inverse-transformed, so a damaged thumbnail fails as
// before; only chroma upsampling and colour conversion, about 15 % of the
// decoding time, are left out. CMYK and YCCK pictures, which have no planar
// form here, are decoded to RGB.
#include <turbojpeg.h>

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "thumbnail/thumbnail.h"

namespace {

struct DecodedPicture {
    std::vector<uint8_t> pixels;  // the planes one after another, or RGB rows
    int width = 0;
    int height = 0;
};

// The shown picture and a spare whose memory the next decode reuses: a
// thumbnail that fails to decode must leave the shown one untouched.
DecodedPicture currentThumbnail;
DecodedPicture spareThumbnail;

// Most thumbnails are alike in size; keeping a buffer of this size between
// files saves an allocation and its clearing per file, a larger one is freed.
constexpr size_t kKeptBufferBytes = 256 * 1024;

// A decoder for one thumbnail, released on every way out. Making one costs
// a tenth of a microsecond; a fresh one per thumbnail also means no state of
// a failed decode can reach the next.
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

bool IsPlanar(int colorspace) { return colorspace != TJCS_CMYK && colorspace != TJCS_YCCK; }

// Grows the buffer to at least size bytes; it never shrinks here, so the
// bytes already there are not cleared again.
bool MakeRoom(std::vector<uint8_t>& buffer, size_t size) {
    if (buffer.size() >= size) return true;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// A full decode: a warning such as a premature end of data counts as failure.
bool DecodeWith(tjhandle handle, ByteView bytes, DecodedPicture& decoded) {
    const unsigned long size = static_cast<unsigned long>(bytes.size);
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(handle, bytes.data, size, &width, &height, &subsampling, &colorspace) != 0) {
        return false;
    }
    if (!SizeIsSane(width, height)) return false;
    int result = -1;
    if (IsPlanar(colorspace)) {
        // The size function answers -1 for a sampling it does not know.
        const unsigned long planesSize = tjBufSizeYUV2(width, 1, height, subsampling);
        if (planesSize == static_cast<unsigned long>(-1) || !MakeRoom(decoded.pixels, planesSize)) return false;
        result = tjDecompressToYUV2(handle, bytes.data, size, decoded.pixels.data(), width, 1, height,
                                    TJFLAG_STOPONWARNING);
    } else {
        if (!MakeRoom(decoded.pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 3)) return false;
        result = tjDecompress2(handle, bytes.data, size, decoded.pixels.data(), width, 0, height, TJPF_RGB,
                               TJFLAG_STOPONWARNING);
    }
    if (result != 0) return false;
    decoded.width = width;
    decoded.height = height;
    return true;
}

bool DecodeJpeg(ByteView bytes, DecodedPicture& decoded) {
    if (bytes.size == 0) return false;
    Decompressor decompressor;
    return decompressor.handle != nullptr && DecodeWith(decompressor.handle, bytes, decoded);
}

}  // namespace

void DecodeThumbnail(ImageSummary& summary, ByteView thumbnail) {
    if (!DecodeJpeg(thumbnail, spareThumbnail)) return;
    summary.thumbnailPixelWidth = spareThumbnail.width;
    summary.thumbnailPixelHeight = spareThumbnail.height;
    // A later thumbnail of the same file replaces the earlier one.
    std::swap(currentThumbnail, spareThumbnail);
}

void ReleaseCurrentThumbnail() {
    for (DecodedPicture* picture : {&currentThumbnail, &spareThumbnail}) {
        picture->width = 0;
        picture->height = 0;
        if (picture->pixels.size() > kKeptBufferBytes) picture->pixels = std::vector<uint8_t>();
    }
}

bool CurrentThumbnailSize(int* width, int* height) {
    *width = currentThumbnail.width;
    *height = currentThumbnail.height;
    return currentThumbnail.width > 0;
}
