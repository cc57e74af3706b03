// Thumbnail decoding by GDI+: the bytes are copied into a movable global
// memory block, a COM stream is laid over it and GDI+ decodes the stream into
// a screen bitmap, which the analysis keeps as its picture. GDI+ must
// already have been started by the caller.
#include "core/thumbnail.h"
#include "thumbnail/thumbnail_win32.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <climits>
#include <cstring>

struct ThumbnailPicture {
    HBITMAP bitmap = nullptr;
};

namespace {

// A movable, zero-filled block holding a copy of the bytes; nullptr on failure.
HGLOBAL CopyToGlobalMemory(ByteView bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size);
    if (block == nullptr) return nullptr;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes.data, bytes.size);
    GlobalUnlock(block);
    return block;
}

// A stream that frees the block when it is released. On failure the block is
// freed here and nullptr returned.
IStream* StreamOverBlock(HGLOBAL block) {
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK || stream == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

// A dimension GDI+ reported, as the summary stores it (0 when unusable).
int32_t PixelCount(UINT value) {
    return value <= static_cast<UINT>(INT32_MAX) ? static_cast<int32_t>(value) : 0;
}

// The size GDI+ read from the header and the screen bitmap it made; false
// when either cannot be had.
bool MakeBitmap(Gdiplus::GpBitmap* image, HBITMAP* bitmap, int* width, int* height) {
    UINT imageWidth = 0;
    if (Gdiplus::DllExports::GdipGetImageWidth(image, &imageWidth) != Gdiplus::Ok) return false;
    if (PixelCount(imageWidth) == 0) return false;
    UINT imageHeight = 0;
    if (Gdiplus::DllExports::GdipGetImageHeight(image, &imageHeight) != Gdiplus::Ok) return false;
    if (PixelCount(imageHeight) == 0) return false;
    // GDI+ reads the size from the header; the pixels are only decoded for
    // the screen bitmap, so a header claiming too much is refused before that.
    if (static_cast<int64_t>(imageWidth) * static_cast<int64_t>(imageHeight) > kMostThumbnailPixels) return false;
    // Transparent parts of the image come out as black (ARGB 0).
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, bitmap, 0) != Gdiplus::Ok || *bitmap == nullptr) {
        return false;
    }
    *width = PixelCount(imageWidth);
    *height = PixelCount(imageHeight);
    return true;
}

// The bitmap of the bytes, or nullptr.
HBITMAP DecodeToBitmap(ByteView thumbnail, int* width, int* height) {
    // An empty block cannot be locked; there is nothing to decode anyway.
    if (thumbnail.data == nullptr || thumbnail.size == 0) return nullptr;
    HGLOBAL block = CopyToGlobalMemory(thumbnail);
    if (block == nullptr) return nullptr;
    IStream* stream = StreamOverBlock(block);
    if (stream == nullptr) return nullptr;
    HBITMAP bitmap = nullptr;
    Gdiplus::GpBitmap* image = nullptr;
    // Embedded colour profiles are not applied.
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok && image != nullptr) {
        if (!MakeBitmap(image, &bitmap, width, height)) bitmap = nullptr;
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    stream->Release();
    return bitmap;
}

}  // namespace

void ThumbnailPictureRelease::operator()(ThumbnailPicture* picture) const {
    if (picture == nullptr) return;
    if (picture->bitmap != nullptr) DeleteObject(picture->bitmap);
    delete picture;
}

bool DecodeThumbnailPicture(ByteView bytes, ThumbnailPictureHandle& picture, int* width, int* height) {
    HBITMAP bitmap = DecodeToBitmap(bytes, width, height);
    if (bitmap == nullptr) return false;
    if (picture == nullptr) picture.reset(new ThumbnailPicture);
    if (picture->bitmap != nullptr) DeleteObject(picture->bitmap);
    picture->bitmap = bitmap;
    return true;
}

// A bitmap is not reused: the one no longer shown is deleted at once.
void RecycleThumbnailPicture(ThumbnailPicture& picture) {
    if (picture.bitmap != nullptr) DeleteObject(picture.bitmap);
    picture.bitmap = nullptr;
}

HBITMAP ThumbnailBitmap(const ThumbnailState& state) {
    return state.current != nullptr ? state.current->bitmap : nullptr;
}
