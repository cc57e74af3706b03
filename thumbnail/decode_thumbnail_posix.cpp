#include "thumbnail/thumbnail.h"

void DecodeThumbnail(ImageSummary& summary, ByteView thumbnail) {
    (void)summary;
    (void)thumbnail;
}

void ReleaseCurrentThumbnail() {}

bool CurrentThumbnailSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    return false;
}
