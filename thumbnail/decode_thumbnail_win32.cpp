// Thumbnail decoding by GDI+: the bytes are copied into a movable global
// memory block, a COM stream is laid over it and GDI+ decodes the stream into
// a screen bitmap. GDI+ must already have been started by the caller.
#include "thumbnail/thumbnail.h"
#include "thumbnail/thumbnail_win32.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <climits>
#include <cstring>

namespace {

HBITMAP thumbnailBitmap = nullptr;

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

// The newest thumbnail of a file wins; an earlier one is deleted.
void ReplaceCurrentThumbnail(HBITMAP bitmap) {
    if (thumbnailBitmap != nullptr) DeleteObject(thumbnailBitmap);
    thumbnailBitmap = bitmap;
}

void DecodeImage(ImageSummary& summary, Gdiplus::GpBitmap* image) {
    UINT width = 0;
    if (Gdiplus::DllExports::GdipGetImageWidth(image, &width) != Gdiplus::Ok) return;
    if (PixelCount(width) == 0) return;
    UINT height = 0;
    if (Gdiplus::DllExports::GdipGetImageHeight(image, &height) != Gdiplus::Ok) return;
    if (PixelCount(height) == 0) return;
    // GDI+ reads the size from the header; the pixels are only decoded for
    // the screen bitmap, so a header claiming too much is refused before that.
    if (static_cast<int64_t>(width) * static_cast<int64_t>(height) > kMostThumbnailPixels) return;
    summary.thumbnailPixelWidth = PixelCount(width);
    summary.thumbnailPixelHeight = PixelCount(height);
    HBITMAP bitmap = nullptr;
    // Transparent parts of the image come out as black (ARGB 0).
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, 0) != Gdiplus::Ok) return;
    if (bitmap != nullptr) ReplaceCurrentThumbnail(bitmap);
}

}  // namespace

void DecodeThumbnail(ImageSummary& summary, ByteView thumbnail) {
    // An empty block cannot be locked; there is nothing to decode anyway.
    if (thumbnail.data == nullptr || thumbnail.size == 0) return;
    HGLOBAL block = CopyToGlobalMemory(thumbnail);
    if (block == nullptr) return;
    IStream* stream = StreamOverBlock(block);
    if (stream == nullptr) return;
    Gdiplus::GpBitmap* image = nullptr;
    // Embedded colour profiles are not applied.
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok && image != nullptr) {
        DecodeImage(summary, image);
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    stream->Release();
}

void ReleaseCurrentThumbnail() {
    if (thumbnailBitmap == nullptr) return;
    DeleteObject(thumbnailBitmap);
    thumbnailBitmap = nullptr;
}

bool CurrentThumbnailSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    BITMAP info;
    if (thumbnailBitmap == nullptr || GetObjectA(thumbnailBitmap, sizeof info, &info) == 0) return false;
    *width = info.bmWidth;
    *height = info.bmHeight;
    return true;
}

HBITMAP CurrentThumbnailBitmap() { return thumbnailBitmap; }
