// The current thumbnail of an analysis as a GDI bitmap, for the painting
// code of the window.
#pragma once

#include <windows.h>

#include "core/thumbnail.h"

// The bitmap of the current picture, or nullptr. It stays owned by the
// state: ReleaseThumbnail (or a newer thumbnail) deletes it.
HBITMAP ThumbnailBitmap(const ThumbnailState& state);
