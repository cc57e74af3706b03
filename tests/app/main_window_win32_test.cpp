#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui_strings_win32.h"
#include "window_harness_win32.h"

namespace {

::testing::Environment* const windowEnvironment = ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

const int kJpeg = static_cast<int>(ReportPane::Jpeg);
const int kThumbnail = static_cast<int>(ReportPane::Thumbnail);
const int kExif = static_cast<int>(ReportPane::Exif);
const int kIptc = static_cast<int>(ReportPane::IptcXmp);

// What the user sees of the layout: which tab is selected, whether the tab
// strip shows, and for each pane container its parent and visibility.
struct LayoutView {
    bool tabsShown;
    int selectedTab;
    HWND parents[4];
    bool shown[4];
};

LayoutView ReadLayout() {
    LayoutView view;
    view.tabsShown = HasVisibleStyle(shell.tabControl);
    view.selectedTab = static_cast<int>(SendMessageA(shell.tabControl, TCM_GETCURSEL, 0, 0));
    for (int i = 0; i < 4; i++) {
        view.parents[i] = GetParent(shell.paneContainers[i]);
        view.shown[i] = HasVisibleStyle(shell.paneContainers[i]);
    }
    return view;
}

void ExpectTabbed(HWND window, int selected, const char* label) {
    LayoutView view = ReadLayout();
    EXPECT_TRUE(shell.tabbedMode) << label;
    EXPECT_TRUE(view.tabsShown) << label;
    EXPECT_EQ(view.selectedTab, selected) << label;
    EXPECT_EQ(static_cast<int>(shell.selectedPane), selected) << label;
    RECT display;
    GetClientRect(shell.tabControl, &display);
    SendMessageA(shell.tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(view.parents[i], shell.tabControl) << label << " pane " << i;
        EXPECT_EQ(view.shown[i], i == selected) << label << " pane " << i;
        PixelRect place = PlaceInParent(shell.paneContainers[i]);
        EXPECT_EQ(place.left, display.left) << label << " pane " << i;
        EXPECT_EQ(place.top, display.top) << label << " pane " << i;
        EXPECT_EQ(place.right, display.right) << label << " pane " << i;
        EXPECT_EQ(place.bottom, display.bottom) << label << " pane " << i;
    }
    (void)window;
}

void ExpectSplit(HWND window, const char* label) {
    LayoutView view = ReadLayout();
    EXPECT_FALSE(shell.tabbedMode) << label;
    EXPECT_FALSE(view.tabsShown) << label;
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(view.parents[i], window) << label << " pane " << i;
        EXPECT_TRUE(view.shown[i]) << label << " pane " << i;
        EXPECT_EQ(Describe(PlaceInParent(shell.paneContainers[i])), Describe(shell.splitter.paneRects[i]))
            << label << " pane " << i;
    }
}

TEST(WindowLocale, AnsiCodePageIsJapanese) {
    // The window tests run under the Japanese locale, as the program's users do.
    EXPECT_EQ(GetACP(), 932u);
}

TEST_F(MainWindowTest, StartsTabbedWithTheJpegPane) {
    ExpectTabbed(window, kJpeg, "start");
    EXPECT_EQ(GetFocus(), shell.paneContents[kJpeg]);
    const int textPanes[] = {kJpeg, kExif, kIptc};
    for (int pane : textPanes) EXPECT_EQ(PaneWindowText(static_cast<ReportPane>(pane)), kPaneTitles[pane]);
    EXPECT_EQ(WindowText(shell.statusBar), "");
    EXPECT_EQ(WindowText(window), "Pixloupe");
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Pixloupe");
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT),
              WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT);
}

TEST_F(MainWindowTest, EachPaneIsContainerBandAndContent) {
    const char* const contentClasses[4] = {"RichEdit20A", "Static", "RichEdit20A", "RichEdit20A"};
    for (int i = 0; i < 4; i++) {
        char className[64] = {};
        GetClassNameA(shell.paneContents[i], className, sizeof className);
        EXPECT_STREQ(className, contentClasses[i]) << i;
        EXPECT_EQ(GetParent(shell.paneContents[i]), shell.bandContainers[i]) << i;
        EXPECT_EQ(GetParent(shell.bandContainers[i]), shell.paneContainers[i]) << i;
        GetClassNameA(shell.bandContainers[i], className, sizeof className);
        EXPECT_STREQ(className, "ReBarWindow32") << i;
        EXPECT_EQ(SendMessageA(shell.bandContainers[i], RB_GETBANDCOUNT, 0, 0), 1) << i;
        // The band container fills its pane container.
        EXPECT_EQ(Describe(PlaceInParent(shell.bandContainers[i])), Describe(ClientPixelRect(shell.paneContainers[i])))
            << i;
    }
    // Tab labels in pane order.
    for (int i = 0; i < 4; i++) {
        char label[32] = {};
        TCITEMA item;
        std::memset(&item, 0, sizeof item);
        item.mask = TCIF_TEXT;
        item.pszText = label;
        item.cchTextMax = sizeof label;
        SendMessageA(shell.tabControl, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(label, kPaneTitles[i]) << i;
    }
    EXPECT_EQ(SendMessageA(shell.tabControl, TCM_GETITEMCOUNT, 0, 0), 4);
}

TEST_F(MainWindowTest, BandHeaderDoubleClicksAndTabChanges) {
    struct Step {
        const char* label;
        enum { HeaderDoubleClick, TabChange } action;
        int pane;
        bool tabbedAfter;
        int selectedAfter;
        LRESULT result;
    };
    const std::vector<Step> steps = {
        {"IPTC tab chosen", Step::TabChange, kIptc, true, kIptc, 1},
        {"its header: split", Step::HeaderDoubleClick, kIptc, false, kIptc, 0},
        {"tab change in split mode changes nothing", Step::TabChange, kJpeg, false, kIptc, 1},
        {"thumbnail header: tabbed with the thumbnail", Step::HeaderDoubleClick, kThumbnail, true, kThumbnail, 0},
        {"Exif tab", Step::TabChange, kExif, true, kExif, 1},
        {"Exif header: split", Step::HeaderDoubleClick, kExif, false, kExif, 0},
        {"Exif header again: tabbed with Exif", Step::HeaderDoubleClick, kExif, true, kExif, 0},
        {"Jpeg tab", Step::TabChange, kJpeg, true, kJpeg, 1},
    };
    for (const Step& step : steps) {
        LRESULT result = step.action == Step::TabChange ? ChooseTab(window, step.pane)
                                                        : DoubleClickBandHeader(static_cast<ReportPane>(step.pane));
        EXPECT_EQ(result, step.result) << step.label;
        if (step.tabbedAfter) {
            ExpectTabbed(window, step.selectedAfter, step.label);
        } else {
            ExpectSplit(window, step.label);
            EXPECT_EQ(static_cast<int>(shell.selectedPane), step.selectedAfter) << step.label;
        }
        // The keyboard focus stays where it was put at start.
        EXPECT_EQ(GetFocus(), shell.paneContents[kJpeg]) << step.label;
    }
}

TEST_F(MainWindowTest, SplitGridStartsAsCrossAtThePercentages) {
    DoubleClickBandHeader(ReportPane::Jpeg);
    ExpectSplit(window, "split");
    RECT client;
    GetClientRect(window, &client);
    const int w = client.right;
    const int b = client.bottom - shell.statusBarHeight;
    const int h = GetSystemMetrics(SM_CXEDGE);
    const int x = w * 34 / 100;
    const int y = b * 50 / 100;
    const PixelRect want[4] = {{0, 0, x - h, y - h}, {0, y + h, x - h, b}, {x + h, 0, w, y - h}, {x + h, y + h, w, b}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(Describe(PlaceInParent(shell.paneContainers[i])), Describe(want[i])) << i;
    }
}

TEST_F(MainWindowTest, ResizeKeepsModeAndPercentages) {
    const struct {
        int width, height;
        bool split;
    } sizes[] = {{1000, 700, false}, {640, 480, true}, {900, 650, true}, {700, 500, false}};
    for (const auto& size : sizes) {
        if (size.split == shell.tabbedMode) DoubleClickBandHeader(shell.selectedPane);
        MoveWindow(window, 0, 0, size.width, size.height, TRUE);
        PumpMessages();
        std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);
        EXPECT_EQ(shell.splitter.percents.upperSplitPct, 34) << label;
        EXPECT_EQ(shell.splitter.percents.leftSplitPct, 50) << label;
        RECT client;
        GetClientRect(window, &client);
        const int barsHeight = client.bottom - shell.statusBarHeight;
        EXPECT_EQ(Describe(PlaceInParent(shell.tabControl)), Describe({0, 0, client.right, barsHeight})) << label;
        EXPECT_EQ(Describe(PlaceInParent(shell.statusBar)),
                  Describe({0, barsHeight, client.right, client.bottom}))
            << label;
        EXPECT_EQ(shell.splitter.positions.leftSplitY, barsHeight * 50 / 100) << label;
        if (size.split) {
            ExpectSplit(window, label.c_str());
        } else {
            ExpectTabbed(window, static_cast<int>(shell.selectedPane), label.c_str());
        }
    }
}

TEST_F(MainWindowTest, MinimumTrackSizeLeavesRoomForBarAndStrip) {
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MINMAXINFO info;
    std::memset(&info, 0, sizeof info);
    info.ptMaxSize.x = 12345;
    EXPECT_EQ(SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, (outer.right - outer.left) - client.right);
    EXPECT_EQ(info.ptMinTrackSize.y, (outer.bottom - outer.top) - client.bottom + shell.statusBarHeight + 104);
    EXPECT_EQ(info.ptMaxSize.x, 12345);  // the other members are left alone
    EXPECT_GT(shell.statusBarHeight, 0);
}

TEST_F(MainWindowTest, BandHeaderShowsTheArrow) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(nullptr);
    EXPECT_EQ(SendMessageA(shell.bandContainers[kJpeg], WM_SETCURSOR,
                           reinterpret_cast<WPARAM>(shell.bandContainers[kJpeg]), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(MainWindowTest, CloseDestroysTheWindowAndPostsQuit) {
    HWND closing = window;
    EXPECT_EQ(SendMessageA(closing, WM_CLOSE, 0, 0), 1);
    EXPECT_FALSE(IsWindow(closing));
    EXPECT_EQ(shell.paneContents[kJpeg], nullptr);
    EXPECT_EQ(shell.splitter.barRegion, nullptr);
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) quit = true;
    }
    EXPECT_TRUE(quit);
    window = nullptr;
}

}  // namespace
