// The EXIF thumbnail: decoded by the platform's image library and kept, as
// the picture of one analysis, until the analysis lets it go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/byte_view.h"

// An EXIF thumbnail lies inside one 64 KB segment; a header that claims
// more pixels than this is refused before any pixel memory is taken, so a
// few hundred bytes cannot make the decoder allocate hundreds of megabytes.
constexpr int64_t kMostThumbnailPixels = 1024LL * 1024;

// A decoded picture as the platform holds it: the colour planes natively,
// a GDI bitmap on Windows. Defined by each platform's decoder.
struct ThumbnailPicture;
struct ThumbnailPictureRelease {
    void operator()(ThumbnailPicture* picture) const;
};
using ThumbnailPictureHandle = std::unique_ptr<ThumbnailPicture, ThumbnailPictureRelease>;

// The thumbnail of one analysis: the picture shown, and a spare whose
// memory the next decode may reuse (a decode that fails must leave the
// shown picture untouched).
struct ThumbnailState {
    ThumbnailPictureHandle current;
    ThumbnailPictureHandle spare;
    int width = 0;   // of current; 0 when there is none
    int height = 0;
};

// The platform's decoder: decodes bytes into the picture (made when there
// is none yet) and gives its size; false when the bytes do not decode.
bool DecodeThumbnailPicture(ByteView bytes, ThumbnailPictureHandle& picture, int* width, int* height);
// Drops what of a picture that is no longer shown cannot be reused.
void RecycleThumbnailPicture(ThumbnailPicture& picture);

// Decodes the bytes; on success the picture becomes the current one (a
// later thumbnail of a file replaces an earlier one) and its size is
// given. Shows nothing.
bool DecodeThumbnail(ThumbnailState& state, ByteView thumbnail, int* width, int* height);

// Lets the current picture go (the panes are being cleared).
void ReleaseThumbnail(ThumbnailState& state);

// The width and height in the first frame header of a JPEG, read without
// decoding it; false when there is none before the scan.
bool ReadJpegFrameSize(ByteView jpeg, int* width, int* height);

// The work of decoding the thumbnail, in bytes read plus pixels made, as
// far as its header tells before decoding.
size_t ThumbnailDecodeCost(ByteView thumbnail);
