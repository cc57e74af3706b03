#include <gtest/gtest.h>

#include <vector>

#include "app/split_geometry.h"

namespace {

// A new window of client width 784 whose area above the status bar is 540
// high, with bars 4 pixels wide.
constexpr int32_t kWidth = 784;
constexpr int32_t kHeight = 540;
constexpr int32_t kHalfBar = 2;

// Rectangles written as left, top, right, bottom.
const auto R = &MakeRect;

SplitPositions P(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    SplitPositions p;
    p.upperSplitX = x1;
    p.leftSplitY = y1;
    p.lowerSplitX = x2;
    p.rightSplitY = y2;
    return p;
}

SplitInput Pointer(int32_t x, int32_t y) {
    SplitInput in;
    in.width = kWidth;
    in.barsHeight = kHeight;
    in.halfBar = kHalfBar;
    in.pointerX = x;
    in.pointerY = y;
    return in;
}

void ExpectPositions(const SplitPositions& got, const SplitPositions& want, const char* label) {
    EXPECT_EQ(got.upperSplitX, want.upperSplitX) << label;
    EXPECT_EQ(got.leftSplitY, want.leftSplitY) << label;
    EXPECT_EQ(got.lowerSplitX, want.lowerSplitX) << label;
    EXPECT_EQ(got.rightSplitY, want.rightSplitY) << label;
}

::testing::AssertionResult SameRect(const PixelRect& got, const PixelRect& want) {
    if (got == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.left << "," << got.top << "," << got.right << ","
                                         << got.bottom << ") instead of (" << want.left << "," << want.top
                                         << "," << want.right << "," << want.bottom << ")";
}

const SplitPositions kCross = P(266, 270, 266, 270);
const SplitPositions kColumnSplit = P(266, 200, 266, 300);
const SplitPositions kRowSplit = P(200, 270, 300, 270);

TEST(SplitGeometry, NewWindowStartsAsCross) {
    SplitPositions p = PositionsFromPercents(SplitPercents{}, kWidth, kHeight);
    ExpectPositions(p, kCross, "784 x 540");
}

TEST(SplitGeometry, PositionsFollowPercentagesOnResize) {
    const struct {
        int32_t width, height;
        SplitPercents percents;
        SplitPositions want;
    } cases[] = {
        {1000, 600, SplitPercents{}, P(340, 300, 340, 300)},
        {99, 99, SplitPercents{}, P(33, 49, 33, 49)},
        {0, 0, SplitPercents{}, P(0, 0, 0, 0)},
        {800, 400, SplitPercents{25, 75, 10, 90}, P(200, 40, 600, 360)},
    };
    for (const auto& c : cases) {
        ExpectPositions(PositionsFromPercents(c.percents, c.width, c.height), c.want, "resize");
    }
}

TEST(SplitGeometry, PaneRectanglesOfEachArrangement) {
    const struct {
        const char* label;
        SplitPositions positions;
        PixelRect panes[4];
    } cases[] = {
        {"cross", kCross, {R(0, 0, 264, 268), R(0, 272, 264, 540), R(268, 0, 784, 268), R(268, 272, 784, 540)}},
        {"column split",
         kColumnSplit,
         {R(0, 0, 264, 198), R(0, 202, 264, 540), R(268, 0, 784, 298), R(268, 302, 784, 540)}},
        {"row split", kRowSplit, {R(0, 0, 198, 268), R(0, 272, 298, 540), R(202, 0, 784, 268), R(302, 272, 784, 540)}},
    };
    for (const auto& c : cases) {
        SplitGeometry g = ComputeSplitGeometry(Pointer(0, 0), c.positions, SplitHit::None);
        for (int i = 0; i < 4; i++) EXPECT_TRUE(SameRect(g.paneRects[i], c.panes[i])) << c.label << " pane " << i;
    }
}

struct HitCase {
    const char* label;
    SplitPositions positions;
    int32_t x, y;
    SplitHit code;
    int cursor;
    std::vector<PixelRect> bars;
    PixelRect clip;
};

TEST(SplitGeometry, HitTestBarsAndConfinement) {
    const PixelRect full = R(4, 4, 780, 536);
    const std::vector<HitCase> cases = {
        {"cross, left of the bar", kCross, 100, 100, SplitHit::SplitLeftY, 32009, {R(0, 268, 264, 272)},
         R(4, 4, 262, 536)},
        {"cross, last pixel left", kCross, 263, 500, SplitHit::SplitLeftY, 32009, {R(0, 268, 264, 272)},
         R(4, 4, 262, 536)},
        {"cross, right of the bar", kCross, 268, 100, SplitHit::SplitRightY, 32009, {R(264, 268, 784, 272)},
         R(270, 4, 780, 536)},
        {"cross, upper half bar", kCross, 266, 267, SplitHit::SplitUpperX, 32008, {R(264, 0, 268, 270)},
         R(4, 4, 780, 266)},
        {"cross, lower half bar", kCross, 265, 272, SplitHit::SplitLowerX, 32008, {R(264, 270, 268, 540)},
         R(4, 274, 780, 536)},
        {"cross, crossing", kCross, 264, 268, SplitHit::SplitCross, 32017,
         {R(0, 268, 784, 272), R(264, 0, 268, 540)}, full},
        {"cross, crossing corner", kCross, 267, 271, SplitHit::SplitCross, 32017,
         {R(0, 268, 784, 272), R(264, 0, 268, 540)}, full},
        {"column split, vertical bar", kColumnSplit, 266, 250, SplitHit::SplitFullX, 32008, {R(264, 0, 268, 540)},
         full},
        {"column split, left column", kColumnSplit, 10, 10, SplitHit::SplitLeftY, 32009, {R(0, 198, 264, 202)},
         R(4, 4, 262, 536)},
        {"column split, right column", kColumnSplit, 700, 530, SplitHit::SplitRightY, 32009,
         {R(264, 298, 784, 302)}, R(270, 4, 780, 536)},
        {"row split, upper row", kRowSplit, 500, 267, SplitHit::SplitUpperX, 32008, {R(198, 0, 202, 270)},
         R(4, 4, 780, 266)},
        {"row split, horizontal bar", kRowSplit, 50, 268, SplitHit::SplitFullY, 32009, {R(0, 268, 784, 272)}, full},
        {"row split, horizontal bar bottom", kRowSplit, 50, 271, SplitHit::SplitFullY, 32009,
         {R(0, 268, 784, 272)}, full},
        {"row split, lower row", kRowSplit, 100, 272, SplitHit::SplitLowerX, 32008, {R(298, 270, 302, 540)},
         R(4, 274, 780, 536)},
    };
    for (const HitCase& c : cases) {
        SplitGeometry g = ComputeSplitGeometry(Pointer(c.x, c.y), c.positions, SplitHit::None);
        EXPECT_EQ(g.code, c.code) << c.label;
        EXPECT_EQ(g.cursorId, c.cursor) << c.label;
        ASSERT_EQ(g.barRectCount, static_cast<int>(c.bars.size())) << c.label;
        for (size_t i = 0; i < c.bars.size(); i++) EXPECT_TRUE(SameRect(g.barRects[i], c.bars[i])) << c.label;
        EXPECT_TRUE(SameRect(g.clipRect, c.clip)) << c.label;
        ExpectPositions(g.positions, c.positions, c.label);
    }
}

TEST(SplitGeometry, DragMovesTheBarItHolds) {
    const struct {
        const char* label;
        SplitPositions start;
        SplitHit code;
        int32_t x, y;
        SplitPositions want;
    } cases[] = {
        {"upper half of a cross makes a row split", kCross, SplitHit::SplitUpperX, 400, 50, P(400, 270, 266, 270)},
        {"lower half of a cross", kCross, SplitHit::SplitLowerX, 100, 500, P(266, 270, 100, 270)},
        {"crossing keeps a cross", kCross, SplitHit::SplitCross, 300, 200, P(300, 200, 300, 200)},
        {"left column bar makes a column split", kCross, SplitHit::SplitLeftY, 10, 100, P(266, 100, 266, 270)},
        {"right column bar", kColumnSplit, SplitHit::SplitRightY, 700, 450, P(266, 200, 266, 450)},
        {"full vertical bar", kColumnSplit, SplitHit::SplitFullX, 500, 5, P(500, 200, 500, 300)},
        {"full horizontal bar", kRowSplit, SplitHit::SplitFullY, 5, 400, P(200, 400, 300, 400)},
        {"no drag", kRowSplit, SplitHit::None, 600, 600, kRowSplit},
    };
    for (const auto& c : cases) {
        SplitGeometry g = ComputeSplitGeometry(Pointer(c.x, c.y), c.start, c.code);
        ExpectPositions(g.positions, c.want, c.label);
        // One vertical or one horizontal bar always runs the whole way.
        EXPECT_TRUE(g.positions.upperSplitX == g.positions.lowerSplitX ||
                    g.positions.leftSplitY == g.positions.rightSplitY)
            << c.label;
    }
}

TEST(SplitGeometry, CommitTruncatesPercentages) {
    const struct {
        const char* label;
        SplitPositions positions;
        int32_t width, height;
        SplitPercents want;
    } cases[] = {
        // The click that does not move: 784 * 34 / 100 = 266, 266 * 100 / 784 = 33.
        {"click on a new window", kCross, kWidth, kHeight, SplitPercents{33, 33, 50, 50}},
        {"row split", kRowSplit, kWidth, kHeight, SplitPercents{25, 38, 50, 50}},
        {"exact", P(392, 135, 392, 405), kWidth, kHeight, SplitPercents{50, 50, 25, 75}},
        {"zero-width window keeps the columns", kCross, 0, kHeight, SplitPercents{34, 34, 50, 50}},
        {"zero-height area keeps the rows", P(392, 0, 392, 0), kWidth, 0, SplitPercents{50, 50, 50, 50}},
    };
    for (const auto& c : cases) {
        SplitPercents got = PercentsFromPositions(c.positions, c.width, c.height, SplitPercents{});
        EXPECT_EQ(got.upperSplitPct, c.want.upperSplitPct) << c.label;
        EXPECT_EQ(got.lowerSplitPct, c.want.lowerSplitPct) << c.label;
        EXPECT_EQ(got.leftSplitPct, c.want.leftSplitPct) << c.label;
        EXPECT_EQ(got.rightSplitPct, c.want.rightSplitPct) << c.label;
    }
    // The next resize places the clicked bar at the lower percentage.
    SplitPercents clicked = PercentsFromPositions(kCross, kWidth, kHeight, SplitPercents{});
    EXPECT_EQ(PositionsFromPercents(clicked, kWidth, kHeight).upperSplitX, 258);
}

TEST(SplitGeometry, DoubleClickAlignsHalfBars) {
    const struct {
        const char* label;
        SplitPositions start;
        SplitHit code;
        SplitPositions want;
    } cases[] = {
        {"left column bar", kColumnSplit, SplitHit::SplitLeftY, P(266, 200, 266, 200)},
        {"right column bar makes a cross", kColumnSplit, SplitHit::SplitRightY, P(266, 300, 266, 300)},
        {"upper half bar", kRowSplit, SplitHit::SplitUpperX, P(200, 270, 200, 270)},
        {"lower half bar", kRowSplit, SplitHit::SplitLowerX, P(300, 270, 300, 270)},
        {"full vertical bar", kColumnSplit, SplitHit::SplitFullX, kColumnSplit},
        {"crossing", kCross, SplitHit::SplitCross, kCross},
        {"full horizontal bar", kRowSplit, SplitHit::SplitFullY, kRowSplit},
    };
    for (const auto& c : cases) ExpectPositions(AlignHalfBars(c.start, c.code), c.want, c.label);
}

}  // namespace
