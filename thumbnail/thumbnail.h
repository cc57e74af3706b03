// The EXIF thumbnail: decoded by the platform's image library, kept as the
// current picture until the panes are next cleared.
#pragma once

#include "jpeg/byte_view.h"
#include "jpeg/image_summary.h"

// An EXIF thumbnail lies inside one 64 KB segment; a header that claims
// more pixels than this is refused before any pixel memory is taken, so a
// few hundred bytes cannot make the decoder allocate hundreds of megabytes.
constexpr int64_t kMostThumbnailPixels = 1024LL * 1024;

// The work of decoding the thumbnail, in bytes read plus pixels made, as
// far as its header tells before decoding.
size_t ThumbnailDecodeCost(ByteView thumbnail);

// Decodes the thumbnail bytes; on success stores the pixel size in the
// summary and makes the picture the current thumbnail. Shows nothing.
void DecodeThumbnail(ImageSummary& summary, ByteView thumbnail);

// Drops the current thumbnail picture (the panes are being cleared).
void ReleaseCurrentThumbnail();

// Size of the current thumbnail picture; false when there is none.
bool CurrentThumbnailSize(int* width, int* height);
