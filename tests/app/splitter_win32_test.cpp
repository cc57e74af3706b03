#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window_harness_win32.h"

namespace {

// The split grid of a fresh window: bar centres and sizes in client pixels.
struct Grid {
    int w, b, h, x, y;
};

Grid SplitFreshWindow() {
    DoubleClickBandHeader(ReportPane::Jpeg);
    RECT client;
    GetClientRect(shell.mainWindow, &client);
    Grid g;
    g.w = client.right;
    g.b = client.bottom - shell.statusBarHeight;
    g.h = GetSystemMetrics(SM_CXEDGE);
    g.x = g.w * 34 / 100;
    g.y = g.b * 50 / 100;
    return g;
}

void ExpectContainersAt(const SplitPositions& p, const Grid& g, const std::string& label) {
    const int h = g.h;
    PixelRect want[4];
    want[0] = {0, 0, p.upperSplitX - h, p.leftSplitY - h};
    want[3] = {p.lowerSplitX + h, p.rightSplitY + h, g.w, g.b};
    if (p.upperSplitX == p.lowerSplitX) {
        want[1] = {0, p.leftSplitY + h, p.upperSplitX - h, g.b};
        want[2] = {p.lowerSplitX + h, 0, g.w, p.rightSplitY - h};
    } else {
        want[1] = {0, p.rightSplitY + h, p.lowerSplitX - h, g.b};
        want[2] = {p.upperSplitX + h, 0, g.w, p.leftSplitY - h};
    }
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(Describe(PlaceInParent(shell.paneContainers[i])), Describe(want[i])) << label << " pane " << i;
    }
}

SplitPositions Positions(int x1, int y1, int x2, int y2) {
    SplitPositions p;
    p.upperSplitX = x1;
    p.leftSplitY = y1;
    p.lowerSplitX = x2;
    p.rightSplitY = y2;
    return p;
}

// The screen colour of a point of the main window's client area.
COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

RECT ScreenRect() {
    RECT r = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return r;
}

std::string DescribeScreenRect(const RECT& r) {
    PixelRect p;
    p.left = r.left;
    p.top = r.top;
    p.right = r.right;
    p.bottom = r.bottom;
    return Describe(p);
}

TEST_F(MainWindowTest, MouseDoesNothingInTabbedMode) {
    const UINT messages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    for (UINT message : messages) {
        EXPECT_EQ(Mouse(window, message, 200, 200), 0) << message;
        EXPECT_EQ(shell.splitter.dragCode, SplitHit::None) << message;
        EXPECT_NE(GetCapture(), window) << message;
    }
    EXPECT_EQ(shell.splitter.percents.upperSplitPct, 34);
    EXPECT_TRUE(shell.tabbedMode);
}

struct DragCase {
    const char* label;
    // Press and release points, from the grid.
    int (*pressX)(const Grid&);
    int (*pressY)(const Grid&);
    int dx, dy;
    SplitHit code;
    SplitPositions (*after)(const Grid&, int dx, int dy);
};

TEST(SplitterDrag, EachBarMovesWhatItHolds) {
    const std::vector<DragCase> cases = {
        {"crossing keeps a cross", [](const Grid& g) { return g.x; }, [](const Grid& g) { return g.y; }, 60, -40,
         SplitHit::SplitCross,
         [](const Grid& g, int dx, int dy) { return Positions(g.x + dx, g.y + dy, g.x + dx, g.y + dy); }},
        {"upper half bar makes a row split", [](const Grid& g) { return g.x; }, [](const Grid& g) { return g.y / 2; },
         50, 0, SplitHit::SplitUpperX,
         [](const Grid& g, int dx, int) { return Positions(g.x + dx, g.y, g.x, g.y); }},
        {"lower half bar", [](const Grid& g) { return g.x; }, [](const Grid& g) { return (g.y + g.b) / 2; }, -40, 0,
         SplitHit::SplitLowerX, [](const Grid& g, int dx, int) { return Positions(g.x, g.y, g.x + dx, g.y); }},
        {"left column bar makes a column split", [](const Grid& g) { return g.x / 2; },
         [](const Grid& g) { return g.y; }, 0, -50, SplitHit::SplitLeftY,
         [](const Grid& g, int, int dy) { return Positions(g.x, g.y + dy, g.x, g.y); }},
        {"right column bar", [](const Grid& g) { return (g.x + g.w) / 2; }, [](const Grid& g) { return g.y; }, 0, 30,
         SplitHit::SplitRightY, [](const Grid& g, int, int dy) { return Positions(g.x, g.y, g.x, g.y + dy); }},
    };
    for (const DragCase& c : cases) {
        HWND window = OpenMainWindow();
        ASSERT_NE(window, nullptr);
        Grid g = SplitFreshWindow();
        const int px = c.pressX(g);
        const int py = c.pressY(g);
        PixelRect committed[4];
        for (int i = 0; i < 4; i++) committed[i] = PlaceInParent(shell.paneContainers[i]);

        Mouse(window, WM_LBUTTONDOWN, px, py);
        EXPECT_EQ(shell.splitter.dragCode, c.code) << c.label;
        EXPECT_EQ(GetCapture(), window) << c.label;
        Mouse(window, WM_MOUSEMOVE, px + c.dx / 2, py + c.dy / 2);
        Mouse(window, WM_MOUSEMOVE, px + c.dx, py + c.dy);
        // Only the inverted bar follows the pointer while the button is held.
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(Describe(PlaceInParent(shell.paneContainers[i])), Describe(committed[i])) << c.label << " " << i;
        }
        // The release point itself is not applied.
        Mouse(window, WM_LBUTTONUP, px + c.dx + 7, py + c.dy + 7);
        EXPECT_EQ(shell.splitter.dragCode, SplitHit::None) << c.label;
        EXPECT_NE(GetCapture(), window) << c.label;
        SplitPositions want = c.after(g, c.dx, c.dy);
        ExpectContainersAt(want, g, c.label);
        EXPECT_EQ(shell.splitter.percents.upperSplitPct, want.upperSplitX * 100 / g.w) << c.label;
        EXPECT_EQ(shell.splitter.percents.lowerSplitPct, want.lowerSplitX * 100 / g.w) << c.label;
        EXPECT_EQ(shell.splitter.percents.leftSplitPct, want.leftSplitY * 100 / g.b) << c.label;
        EXPECT_EQ(shell.splitter.percents.rightSplitPct, want.rightSplitY * 100 / g.b) << c.label;
        CloseMainWindow(window);
    }
}

TEST_F(MainWindowTest, ClickWithoutMovingTruncatesThePercentage) {
    Grid g = SplitFreshWindow();
    Mouse(window, WM_LBUTTONDOWN, g.x, g.y / 2);
    Mouse(window, WM_LBUTTONUP, g.x, g.y / 2);
    EXPECT_EQ(shell.splitter.percents.upperSplitPct, g.x * 100 / g.w);
    EXPECT_EQ(shell.splitter.percents.leftSplitPct, g.y * 100 / g.b);
    // The next resize places the bar at the lower percentage.
    RECT outer;
    GetWindowRect(window, &outer);
    MoveWindow(window, outer.left, outer.top, outer.right - outer.left + 1, outer.bottom - outer.top, TRUE);
    PumpMessages();
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(shell.splitter.positions.upperSplitX, client.right * (g.x * 100 / g.w) / 100);
}

TEST_F(MainWindowTest, DragConfinesThePointerAndInvertsTheBar) {
    Grid g = SplitFreshWindow();
    const int barX = g.x / 2;
    // Two neighbouring pixels of the horizontal bar: the checkerboard inverts one of them.
    const COLORREF before[2] = {ScreenPixel(window, barX, g.y), ScreenPixel(window, barX + 1, g.y)};
    Mouse(window, WM_LBUTTONDOWN, barX, g.y);
    ASSERT_EQ(shell.splitter.dragCode, SplitHit::SplitLeftY);
    const COLORREF during[2] = {ScreenPixel(window, barX, g.y), ScreenPixel(window, barX + 1, g.y)};
    EXPECT_TRUE(during[0] != before[0] || during[1] != before[1]);

    // The left column's bar stays in the left column, 2h from every edge.
    RECT clip;
    GetClipCursor(&clip);
    POINT corners[2] = {{2 * g.h, 2 * g.h}, {g.x - 2 * g.h, g.b - 2 * g.h}};
    ClientToScreen(window, &corners[0]);
    ClientToScreen(window, &corners[1]);
    RECT want = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    EXPECT_EQ(DescribeScreenRect(clip), DescribeScreenRect(want));
    PointerAt(window, g.w - 5, g.y);
    EXPECT_LT(PointerInClient(window).x, g.x - 2 * g.h);

    Mouse(window, WM_LBUTTONUP, barX, g.y);
    GetClipCursor(&clip);
    EXPECT_EQ(DescribeScreenRect(clip), DescribeScreenRect(ScreenRect()));
    PumpMessages();
    EXPECT_EQ(ScreenPixel(window, barX, g.y), before[0]);
    EXPECT_EQ(ScreenPixel(window, barX + 1, g.y), before[1]);
}

TEST_F(MainWindowTest, LosingTheMouseEndsTheDrag) {
    Grid g = SplitFreshWindow();
    const int barX = g.x / 2;
    const COLORREF before[2] = {ScreenPixel(window, barX, g.y), ScreenPixel(window, barX + 1, g.y)};
    Mouse(window, WM_LBUTTONDOWN, barX, g.y);
    Mouse(window, WM_MOUSEMOVE, barX, g.y - 40);
    ASSERT_EQ(shell.splitter.dragCode, SplitHit::SplitLeftY);

    // Another window of the program takes the mouse.
    HWND other = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetCapture(other);
    PumpMessages();
    EXPECT_EQ(shell.splitter.dragCode, SplitHit::None);
    RECT clip;
    GetClipCursor(&clip);
    EXPECT_EQ(DescribeScreenRect(clip), DescribeScreenRect(ScreenRect()));
    // Both the bar at the start and the moved one are gone from the screen.
    EXPECT_EQ(ScreenPixel(window, barX, g.y), before[0]);
    EXPECT_EQ(ScreenPixel(window, barX + 1, g.y), before[1]);
    ReleaseCapture();
    DestroyWindow(other);

    // A late button-up commits nothing; the bars are where the drag began.
    Mouse(window, WM_LBUTTONUP, barX, g.y - 40);
    EXPECT_EQ(shell.splitter.percents.leftSplitPct, 50);  // never committed since the start
    EXPECT_EQ(shell.splitter.positions.leftSplitY, g.y);
    ExpectContainersAt(Positions(g.x, g.y, g.x, g.y), g, "after the lost drag");
}

// A double-click arrives as press, release, double-click, release.
void DoubleClickAt(HWND window, int x, int y) {
    Mouse(window, WM_LBUTTONDOWN, x, y);
    Mouse(window, WM_LBUTTONUP, x, y);
    Mouse(window, WM_LBUTTONDBLCLK, x, y);
    Mouse(window, WM_LBUTTONUP, x, y);
}

void Drag(HWND window, int x, int y, int dx, int dy) {
    Mouse(window, WM_LBUTTONDOWN, x, y);
    Mouse(window, WM_MOUSEMOVE, x + dx, y + dy);
    Mouse(window, WM_LBUTTONUP, x + dx, y + dy);
}

TEST(SplitterDoubleClick, AlignsHalfBars) {
    const struct {
        const char* label;
        bool columnSplit;  // made by dragging the left column's bar up 50; else a row split, upper bar right 50
        bool onSecond;     // double-click the partner bar rather than the dragged one
        bool aligned;      // the two half bars end up in line
        bool toDragged;    // ...at the dragged bar's place
    } cases[] = {
        {"right column bar joins the left", true, true, true, false},
        {"left column bar pulls the right", true, false, true, true},
        {"lower half bar pulls the upper", false, true, true, false},
        {"upper half bar pulls the lower", false, false, true, true},
    };
    for (const auto& c : cases) {
        HWND window = OpenMainWindow();
        ASSERT_NE(window, nullptr);
        Grid g = SplitFreshWindow();
        if (c.columnSplit) {
            Drag(window, g.x / 2, g.y, 0, -50);
            ASSERT_NE(shell.splitter.positions.leftSplitY, shell.splitter.positions.rightSplitY) << c.label;
            int y1 = shell.splitter.positions.leftSplitY;
            int y2 = shell.splitter.positions.rightSplitY;
            if (c.onSecond) {
                DoubleClickAt(window, (g.x + g.w) / 2, y2);
            } else {
                DoubleClickAt(window, g.x / 2, y1);
            }
            EXPECT_EQ(shell.splitter.positions.leftSplitY, shell.splitter.positions.rightSplitY) << c.label;
            EXPECT_EQ(shell.splitter.positions.leftSplitY, c.toDragged ? y1 : y2) << c.label;
        } else {
            Drag(window, g.x, g.y / 2, 50, 0);
            int x1 = shell.splitter.positions.upperSplitX;
            int x2 = shell.splitter.positions.lowerSplitX;
            ASSERT_NE(x1, x2) << c.label;
            if (c.onSecond) {
                DoubleClickAt(window, x2, (g.y + g.b) / 2);
            } else {
                DoubleClickAt(window, x1, g.y / 2);
            }
            EXPECT_EQ(shell.splitter.positions.upperSplitX, shell.splitter.positions.lowerSplitX) << c.label;
            EXPECT_EQ(shell.splitter.positions.upperSplitX, c.toDragged ? x1 : x2) << c.label;
        }
        // The grid on the screen follows at once.
        ExpectContainersAt(shell.splitter.positions, g, c.label);
        EXPECT_EQ(shell.splitter.dragCode, SplitHit::None) << c.label;
        CloseMainWindow(window);
    }
}

TEST_F(MainWindowTest, DoubleClickOnWholeBarsCommitsOnly) {
    Grid g = SplitFreshWindow();
    DoubleClickAt(window, g.x, g.y);
    SplitPositions cross = Positions(g.x, g.y, g.x, g.y);
    ExpectContainersAt(cross, g, "crossing");
    EXPECT_EQ(shell.splitter.percents.upperSplitPct, g.x * 100 / g.w);
    Drag(window, g.x / 2, g.y, 0, 40);  // column split: the vertical bar is whole
    SplitPositions column = shell.splitter.positions;
    DoubleClickAt(window, g.x, 10);
    ExpectContainersAt(column, g, "full-height bar");
}

TEST_F(MainWindowTest, PointerTakesTheShapeOfTheBar) {
    Grid g = SplitFreshWindow();
    const struct {
        const char* label;
        int x, y;
        int cursor;
    } cases[] = {
        {"upper half bar", g.x, g.y / 2, 32008},
        {"left column bar", g.x / 2, g.y, 32009},
        {"crossing", g.x, g.y, 32017},
    };
    for (const auto& c : cases) {
        HCURSOR want = static_cast<HCURSOR>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.cursor), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
        ASSERT_NE(want, nullptr) << c.label;
        SetCursor(nullptr);
        Mouse(window, WM_MOUSEMOVE, c.x, c.y);
        EXPECT_EQ(GetCursor(), want) << c.label;
    }
}

}  // namespace
