// The current thumbnail as a GDI bitmap, for the painting code of the window.
#pragma once

#include <windows.h>

// The bitmap made by the last successful DecodeThumbnail, or nullptr. It stays
// owned here: ReleaseCurrentThumbnail (or a newer thumbnail) deletes it.
HBITMAP CurrentThumbnailBitmap();
