#include "app/split_geometry.h"

namespace {

SplitPositions ApplyDrag(SplitPositions p, SplitHit code, int32_t px, int32_t py) {
    switch (code) {
        case SplitHit::SplitLeftY: p.leftSplitY = py; break;
        case SplitHit::SplitRightY: p.rightSplitY = py; break;
        case SplitHit::SplitFullX: p.upperSplitX = p.lowerSplitX = px; break;
        case SplitHit::SplitCross:
            p.upperSplitX = p.lowerSplitX = px;
            p.leftSplitY = p.rightSplitY = py;
            break;
        case SplitHit::SplitUpperX: p.upperSplitX = px; break;
        case SplitHit::SplitLowerX: p.lowerSplitX = px; break;
        case SplitHit::SplitFullY: p.leftSplitY = p.rightSplitY = py; break;
        case SplitHit::None: break;
    }
    return p;
}

// Panes: 0 top left, 1 bottom left, 2 top right, 3 bottom right.
void LayOutPanes(const SplitInput& in, const SplitPositions& p, PixelRect* rects) {
    const int32_t w = in.width, b = in.barsHeight, h = in.halfBar;
    const int32_t x1 = p.upperSplitX, y1 = p.leftSplitY, x2 = p.lowerSplitX, y2 = p.rightSplitY;
    rects[0] = MakeRect(0, 0, x1 - h, y1 - h);
    rects[3] = MakeRect(x2 + h, y2 + h, w, b);
    if (x1 == x2) {
        rects[1] = MakeRect(0, y1 + h, x1 - h, b);
        rects[2] = MakeRect(x2 + h, 0, w, y2 - h);
    } else {
        rects[1] = MakeRect(0, y2 + h, x2 - h, b);
        rects[2] = MakeRect(x1 + h, 0, w, y1 - h);
    }
}

SplitHit HitTest(const SplitInput& in, const SplitPositions& p) {
    const int32_t h = in.halfBar, px = in.pointerX, py = in.pointerY;
    const int32_t x1 = p.upperSplitX, y1 = p.leftSplitY, y2 = p.rightSplitY;
    if (x1 == p.lowerSplitX) {
        if (px < x1 - h) return SplitHit::SplitLeftY;
        if (px >= x1 + h) return SplitHit::SplitRightY;
        if (y1 != y2) return SplitHit::SplitFullX;
        if (py >= y1 + h) return SplitHit::SplitLowerX;
        if (py < y1 - h) return SplitHit::SplitUpperX;
        return SplitHit::SplitCross;
    }
    if (py < y1 - h) return SplitHit::SplitUpperX;
    if (py < y2 + h) return SplitHit::SplitFullY;
    return SplitHit::SplitLowerX;
}

int CursorFor(SplitHit code) {
    switch (code) {
        case SplitHit::SplitFullX:
        case SplitHit::SplitUpperX:
        case SplitHit::SplitLowerX: return kCursorVerticalBar;
        case SplitHit::SplitCross: return kCursorCrossing;
        case SplitHit::SplitLeftY:
        case SplitHit::SplitRightY:
        case SplitHit::SplitFullY: return kCursorHorizontalBar;
        case SplitHit::None: break;
    }
    return 0;
}

// The bar's area and how far its drag may take the pointer. The left
// column's bar stops short of the vertical bar; the right column's begins
// at its left edge; the half bars reach the horizontal bar's centre line.
void DescribeBar(const SplitInput& in, SplitGeometry& g) {
    const int32_t w = in.width, b = in.barsHeight, h = in.halfBar;
    const SplitPositions& p = g.positions;
    const int32_t x1 = p.upperSplitX, y1 = p.leftSplitY, x2 = p.lowerSplitX, y2 = p.rightSplitY;
    g.barRectCount = 1;
    switch (g.code) {
        case SplitHit::SplitLeftY:
            g.barRects[0] = MakeRect(0, y1 - h, x1 - h, y1 + h);
            g.clipRect.right = x1 - 2 * h;
            break;
        case SplitHit::SplitRightY:
            g.barRects[0] = MakeRect(x2 - h, y2 - h, w, y2 + h);
            g.clipRect.left = x1 + 2 * h;
            break;
        case SplitHit::SplitFullX: g.barRects[0] = MakeRect(x2 - h, 0, x2 + h, b); break;
        case SplitHit::SplitCross:
            g.barRects[0] = MakeRect(0, y1 - h, w, y1 + h);
            g.barRects[1] = MakeRect(x2 - h, 0, x2 + h, b);
            g.barRectCount = 2;
            break;
        case SplitHit::SplitUpperX:
            g.barRects[0] = MakeRect(x1 - h, 0, x1 + h, y1);
            g.clipRect.bottom = y1 - 2 * h;
            break;
        case SplitHit::SplitLowerX:
            g.barRects[0] = MakeRect(x2 - h, y2, x2 + h, b);
            g.clipRect.top = y2 + 2 * h;
            break;
        case SplitHit::SplitFullY: g.barRects[0] = MakeRect(0, y2 - h, w, y2 + h); break;
        case SplitHit::None: g.barRectCount = 0; break;
    }
}

}  // namespace

SplitPositions PositionsFromPercents(const SplitPercents& percents, int32_t width, int32_t barsHeight) {
    SplitPositions p;
    p.upperSplitX = width * percents.upperSplitPct / 100;
    p.lowerSplitX = width * percents.lowerSplitPct / 100;
    p.leftSplitY = barsHeight * percents.leftSplitPct / 100;
    p.rightSplitY = barsHeight * percents.rightSplitPct / 100;
    return p;
}

SplitPercents PercentsFromPositions(const SplitPositions& positions, int32_t width, int32_t barsHeight,
                                    const SplitPercents& previous) {
    SplitPercents result = previous;
    if (width > 0) {
        result.upperSplitPct = positions.upperSplitX * 100 / width;
        result.lowerSplitPct = positions.lowerSplitX * 100 / width;
    }
    if (barsHeight > 0) {
        result.leftSplitPct = positions.leftSplitY * 100 / barsHeight;
        result.rightSplitPct = positions.rightSplitY * 100 / barsHeight;
    }
    return result;
}

SplitGeometry ComputeSplitGeometry(const SplitInput& input, SplitPositions positions, SplitHit dragCode) {
    SplitGeometry g;
    g.positions = ApplyDrag(positions, dragCode, input.pointerX, input.pointerY);
    LayOutPanes(input, g.positions, g.paneRects);
    const int32_t h = input.halfBar;
    g.clipRect = MakeRect(2 * h, 2 * h, input.width - 2 * h, input.barsHeight - 2 * h);
    g.code = HitTest(input, g.positions);
    g.cursorId = CursorFor(g.code);
    DescribeBar(input, g);
    return g;
}

SplitPositions AlignHalfBars(SplitPositions p, SplitHit code) {
    switch (code) {
        case SplitHit::SplitLeftY: p.rightSplitY = p.leftSplitY; break;
        case SplitHit::SplitRightY: p.leftSplitY = p.rightSplitY; break;
        case SplitHit::SplitUpperX: p.lowerSplitX = p.upperSplitX; break;
        case SplitHit::SplitLowerX: p.upperSplitX = p.lowerSplitX; break;
        default: break;
    }
    return p;
}
