// The arithmetic of the split layout: four panes in a 2 x 2 grid of the area
// above the status bar, divided by bars 2h pixels wide whose places are kept
// as whole percentages so that they follow the window when it is resized.
// Everything here is plain signed integer arithmetic, divisions truncating.
#pragma once

#include <cstdint>

#include "app/pixel_rect.h"

// Which bar a point is on; also the code of the bar being dragged.
enum class SplitHit : int {
    None = 0,         // no drag
    SplitLeftY = 1,   // horizontal bar of the left column
    SplitRightY = 2,  // horizontal bar of the right column
    SplitFullX = 3,   // full-height vertical bar of a column split
    SplitCross = 4,   // crossing point of a cross
    SplitUpperX = 5,  // vertical bar above the horizontal bar
    SplitLowerX = 6,  // vertical bar below the horizontal bar
    SplitFullY = 7,   // full-width horizontal bar of a row split
};

// Cursor resources for the bars.
constexpr int kCursorVerticalBar = 32008;
constexpr int kCursorHorizontalBar = 32009;
constexpr int kCursorCrossing = 32017;

struct SplitPercents {
    int32_t upperSplitPct = 34;  // vertical bar of the upper row, % of W
    int32_t lowerSplitPct = 34;  // vertical bar of the lower row, % of W
    int32_t leftSplitPct = 50;   // horizontal bar of the left column, % of B
    int32_t rightSplitPct = 50;  // horizontal bar of the right column, % of B
};

// Bar positions in client pixels. Always upperSplitX == lowerSplitX or
// leftSplitY == rightSplitY: a cross, a column split or a row split.
struct SplitPositions {
    int32_t upperSplitX = 0;  // X1
    int32_t leftSplitY = 0;   // Y1
    int32_t lowerSplitX = 0;  // X2
    int32_t rightSplitY = 0;  // Y2
};

// What one geometry update yields: the positions after the drag code was
// applied, the pane rectangles, the bar under the pointer (one rectangle, two
// for the crossing), the rectangle the pointer is confined to while that bar
// is dragged (client coordinates) and the cursor shown over it.
struct SplitGeometry {
    SplitPositions positions;
    PixelRect paneRects[4];
    PixelRect barRects[2];
    int barRectCount = 0;
    PixelRect clipRect;
    SplitHit code = SplitHit::None;
    int cursorId = 0;
};

struct SplitInput {
    int32_t width = 0;       // W: client width
    int32_t barsHeight = 0;  // B: client height less the status bar
    int32_t halfBar = 0;     // h
    int32_t pointerX = 0;    // pointer in client coordinates
    int32_t pointerY = 0;
};

SplitPositions PositionsFromPercents(const SplitPercents& percents, int32_t width, int32_t barsHeight);

// The percentages a commit stores. An extent of zero or less (a window
// shrunk to nothing) leaves the previous percentages, which cannot be
// derived from it.
SplitPercents PercentsFromPositions(const SplitPositions& positions, int32_t width, int32_t barsHeight,
                                    const SplitPercents& previous);

// Applies dragCode to positions from the pointer, lays out the panes and
// hit-tests the pointer. Every point yields a bar.
SplitGeometry ComputeSplitGeometry(const SplitInput& input, SplitPositions positions, SplitHit dragCode);

// A double-click on a half bar lines up its partner with it; other bars
// keep their places.
SplitPositions AlignHalfBars(SplitPositions positions, SplitHit code);
