// The splitter bars of the split layout: geometry from the window, the drag
// with inverted-pattern feedback, and the double-click that aligns half bars.
#pragma once

#include <windows.h>

#include "app/split_geometry.h"

// Splitter positions from the percentages and the current client area,
// then the committed pane rectangles from the positions.
void PositionsFromPercents(HWND mainWindow);
// Applies code to the positions from the pointer, writes the four pane
// rectangles to rects, hit-tests the pointer and updates the bar region,
// the cursor and the drag confinement.
SplitHit UpdateSplitGeometry(HWND mainWindow, SplitHit code, PixelRect* rects);

void CreateSplitterRegions();
void DeleteSplitterRegions();

// The mouse messages of the main window in split mode.
void OnSplitterMouseMove(HWND mainWindow);
void OnSplitterButtonDown(HWND mainWindow);
void OnSplitterButtonUp(HWND mainWindow);
void OnSplitterDoubleClick(HWND mainWindow);
// Another window took the mouse: a drag in progress ends where it stands.
void OnSplitterCaptureChanged(HWND mainWindow, HWND newCapture);
