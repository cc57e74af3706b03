// The thumbnail pane: an owner-drawn static painted by the main window.
#pragma once

#include <windows.h>

// WM_DRAWITEM at the main window; draws only the thumbnail pane.
void OnDrawItem(const DRAWITEMSTRUCT* item);
// Draws the current thumbnail centred in area, shrunk to fit.
void PaintThumbnail(HDC dc, RECT area);
