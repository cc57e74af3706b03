#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui_strings_win32.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"
#include "thumbnail/thumbnail_win32.h"
#include "window_harness_win32.h"

namespace {

const int kJpeg = static_cast<int>(ReportPane::Jpeg);
const int kThumbnail = static_cast<int>(ReportPane::Thumbnail);

struct MenuEntry {
    UINT id;
    bool separator;
    std::string text;
};

std::vector<MenuEntry> ReadMenu(HMENU menu, int count) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < count && i < GetMenuItemCount(menu); i++) {
        char text[64] = {};
        MENUITEMINFOA info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        entries.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0, text});
        EXPECT_EQ(info.fState & (MFS_GRAYED | MFS_CHECKED), 0u) << i;
    }
    return entries;
}

void ExpectCommandEntries(const std::vector<MenuEntry>& entries, size_t count, const char* label) {
    const MenuEntry want[4] = {{1034, false, kOpenLabel}, {0, true, ""}, {9, false, kAboutLabel}, {0, true, ""}};
    ASSERT_EQ(entries.size(), count) << label;
    for (size_t i = 0; i < count; i++) {
        EXPECT_EQ(entries[i].separator, want[i].separator) << label << " " << i;
        if (want[i].separator) continue;
        EXPECT_EQ(entries[i].id, want[i].id) << label << " " << i;
        EXPECT_EQ(entries[i].text, want[i].text) << label << " " << i;
    }
}

// Watches the popup menus the test thread opens: records the items of each
// and closes it as soon as it waits for the user.
struct MenuWatch {
    static HHOOK hook;
    static std::vector<std::vector<MenuEntry>> opened;
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call != nullptr) {
            if (call->message == WM_INITMENUPOPUP) {
                HMENU menu = reinterpret_cast<HMENU>(call->wParam);
                opened.push_back(ReadMenu(menu, GetMenuItemCount(menu)));
            } else if (call->message == WM_ENTERIDLE && call->wParam == MSGF_MENU) {
                EndMenu();
            }
        }
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    MenuWatch() {
        opened.clear();
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
    }
    ~MenuWatch() { UnhookWindowsHookEx(hook); }
};
HHOOK MenuWatch::hook = nullptr;
std::vector<std::vector<MenuEntry>> MenuWatch::opened;

TEST_F(MainWindowTest, SystemMenuBeginsWithTheCommands) {
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_GT(GetMenuItemCount(menu), 4);
    ExpectCommandEntries(ReadMenu(menu, 4), 4, "system menu");
}

TEST_F(MainWindowTest, ContextMenuOnlyOnTabStripAndPaneContainers) {
    const struct {
        const char* label;
        HWND target;
        bool opens;
    } cases[] = {
        {"tab strip", shell.tabControl, true},
        {"Jpeg container", shell.paneContainers[0], true},
        {"IPTC container", shell.paneContainers[3], true},
        {"Jpeg rich edit", shell.paneContents[0], false},
        {"thumbnail static", shell.paneContents[kThumbnail], false},
        {"band container", shell.bandContainers[2], false},
        {"status bar", shell.statusBar, false},
        {"main window", window, false},
    };
    for (const auto& c : cases) {
        MenuWatch watch;
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.target), MAKELPARAM(100, 120));
        PumpMessages();
        if (!c.opens) {
            EXPECT_TRUE(MenuWatch::opened.empty()) << c.label;
            continue;
        }
        ASSERT_EQ(MenuWatch::opened.size(), 1u) << c.label;
        ExpectCommandEntries(MenuWatch::opened[0], 3, c.label);
    }
}

// Reads the about box or the open dialog as it comes up, then closes it.
struct DialogWatch {
    static HHOOK hook;
    static std::string caption;
    static std::vector<std::string> texts;
    static std::vector<std::string> combos;
    static bool hasIcon;
    static RECT place;
    static int seen;
    static BOOL CALLBACK Child(HWND child, LPARAM) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "ComboBox") == 0) combos.push_back(WindowText(child));
        if (lstrcmpiA(className, "Static") == 0) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                if (SendMessageA(child, STM_GETICON, 0, 0) != 0) hasIcon = true;
            } else {
                texts.push_back(WindowText(child));
            }
        }
        return TRUE;
    }
    static HWND shown;
    static void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        if (shown == nullptr) return;
        seen++;
        caption = WindowText(shown);
        GetWindowRect(shown, &place);
        EnumChildWindows(shown, Child, 0);
        PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        shown = nullptr;
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            HWND dialog = reinterpret_cast<HWND>(wParam);
            char className[32] = {};
            GetClassNameA(dialog, className, sizeof className);
            // Read once the dialog has finished setting itself up.
            if (lstrcmpA(className, "#32770") == 0 && shown == nullptr) {
                shown = dialog;
                SetTimer(nullptr, 0, 300, ReadAndClose);
            }
        }
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    DialogWatch() {
        caption.clear();
        texts.clear();
        combos.clear();
        hasIcon = false;
        seen = 0;
        shown = nullptr;
        hook = SetWindowsHookExA(WH_CBT, Watch, nullptr, GetCurrentThreadId());
    }
    ~DialogWatch() { UnhookWindowsHookEx(hook); }
};
HHOOK DialogWatch::hook = nullptr;
std::string DialogWatch::caption;
std::vector<std::string> DialogWatch::texts;
std::vector<std::string> DialogWatch::combos;
bool DialogWatch::hasIcon = false;
RECT DialogWatch::place;
int DialogWatch::seen = 0;
HWND DialogWatch::shown = nullptr;

TEST_F(MainWindowTest, AboutBoxFromEitherMenu) {
    const struct {
        const char* label;
        UINT message;
        LRESULT result;
    } cases[] = {{"system menu", WM_SYSCOMMAND, 1}, {"context menu", WM_COMMAND, 0}};
    for (const auto& c : cases) {
        DialogWatch watch;
        EXPECT_EQ(SendMessageA(window, c.message, 9, 0), c.result) << c.label;
        EXPECT_EQ(DialogWatch::seen, 1) << c.label;
        EXPECT_EQ(DialogWatch::caption, kAboutLabel) << c.label;
        std::string all;
        for (const std::string& t : DialogWatch::texts) all += t;
        EXPECT_NE(all.find("Pixloupe\x8F\xEE\x95\xF1\x95\x5C\x8E\xA6"), std::string::npos) << c.label;  // Pixloupe情報表示
        EXPECT_NE(all.find("2.1.2012.1002"), std::string::npos) << c.label;
        EXPECT_TRUE(DialogWatch::hasIcon) << c.label;
    }
}

TEST_F(MainWindowTest, OpenDialogIsCentredAndCancelChangesNothing) {
    SetWindowTextA(shell.statusBar, "before");
    const struct {
        const char* label;
        UINT message;
        LRESULT result;
    } cases[] = {{"system menu", WM_SYSCOMMAND, 1}, {"context menu", WM_COMMAND, 0}};
    for (const auto& c : cases) {
        DialogWatch watch;
        EXPECT_EQ(SendMessageA(window, c.message, 1034, 0), c.result) << c.label;
        ASSERT_EQ(DialogWatch::seen, 1) << c.label;
        const RECT& r = DialogWatch::place;
        int w = r.right - r.left;
        int h = r.bottom - r.top;
        // The dialog lays itself out again after the hook has centred it, which
        // can change its height a little: its centre stays near the screen's.
        EXPECT_NEAR(r.left + w / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 16) << c.label;
        EXPECT_NEAR(r.top + h / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 16) << c.label;
        EXPECT_GT(r.left, 16) << c.label;
        EXPECT_GT(r.top, 16) << c.label;
        bool filterShown = false;
        for (const std::string& text : DialogWatch::combos) filterShown = filterShown || text == "jpeg file(*.jpg)";
        EXPECT_TRUE(filterShown) << c.label;
        EXPECT_EQ(WindowText(shell.statusBar), "before") << c.label;
        EXPECT_EQ(PaneWindowText(ReportPane::Jpeg), kPaneTitles[kJpeg]) << c.label;
    }
    // Other commands do nothing.
    DialogWatch watch;
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, 1035, 0), 0);
    EXPECT_EQ(DialogWatch::seen, 0);
}

TEST_F(MainWindowTest, DropOpensEachFileInTurnAndSkipsFolders) {
    const std::string first = PhotoPath("ii-camera-gps-north-east.jpg");
    const std::string second = PhotoPath("mm-camera-gps-south-west.jpg");
    DropFiles(window, {PhotoPath("broken"), first, second});
    EXPECT_EQ(WindowText(shell.statusBar), second);
    std::string jpeg = PaneWindowText(ReportPane::Jpeg);
    EXPECT_NE(jpeg.find(second), std::string::npos);
    EXPECT_EQ(jpeg.find(first), std::string::npos);
    EXPECT_NE(jpeg.find("Harbour Camera M"), std::string::npos);
    EXPECT_EQ(jpeg.find("Field Camera II"), std::string::npos);
    EXPECT_NE(PaneWindowText(ReportPane::Exif).find("Harbour Camera M"), std::string::npos);
    EXPECT_EQ(PaneWindowText(ReportPane::Jpeg).find(kPaneTitles[kJpeg]), std::string::npos);
}

TEST_F(MainWindowTest, RefusedPathsLeaveEverythingInPlace) {
    const std::string shown = PhotoPath("ii-camera-gps-north-east.jpg");
    DropFiles(window, {shown});
    const std::string jpeg = PaneWindowText(ReportPane::Jpeg);
    const std::string exif = PaneWindowText(ReportPane::Exif);
    ASSERT_NE(jpeg.find("Field Camera II"), std::string::npos);
    const struct {
        const char* label;
        std::string path;
    } cases[] = {
        {"missing file", PhotoPath("no-such-photo.jpg")},
        {"folder", PhotoPath("broken")},
        {"wildcard", PhotoPath("*.jpg")},
        {"longer than the path buffer", PhotoPath(std::string(300, 'a') + ".jpg")},
    };
    for (const auto& c : cases) {
        DropFiles(window, {c.path});
        EXPECT_EQ(WindowText(shell.statusBar), shown) << c.label;
        EXPECT_EQ(PaneWindowText(ReportPane::Jpeg), jpeg) << c.label;
        EXPECT_EQ(PaneWindowText(ReportPane::Exif), exif) << c.label;
    }
}

TEST(CommandLinePath, RefusedPathShowsNothing) {
    const std::string paths[] = {PhotoPath(""), PhotoPath("*.jpg"), PhotoPath("missing.jpg")};
    for (const std::string& path : paths) {
        HWND window = OpenMainWindow(path);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(WindowText(shell.statusBar), "") << path;
        EXPECT_EQ(PaneWindowText(ReportPane::Jpeg), kPaneTitles[kJpeg]) << path;
        CloseMainWindow(window);
    }
    HWND window = OpenMainWindow(PhotoPath("ii-camera-gps-north-east.jpg"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(shell.statusBar), PhotoPath("ii-camera-gps-north-east.jpg"));
    EXPECT_NE(PaneWindowText(ReportPane::Jpeg).find("Field Camera II"), std::string::npos);
    CloseMainWindow(window);
}

// Error lines in red, the text after them black again: a JPEG cut off in
// its first segment (fatal) and a photo with a broken directory link
// (non-fatal, the walk goes on).
TEST_F(MainWindowTest, ErrorLinesAreRed) {
    ByteBuilder cutShort;
    cutShort.U8(0xFF).U8(0xD8).U8(0xFF).U8(0xE1).U16(0x0100).Text("abc");
    const std::string cutPath = WriteTempFile(cutShort.bytes, "cut-short.jpg");
    const struct {
        const char* label;
        std::string path;
        const char* anchor;
        int offset;  // characters after the anchor; a line end counts one
        COLORREF colour;
    } cases[] = {
        {"fatal prefix", cutPath, "Fatal Error  : ", 0, 255},
        {"fatal message", cutPath, "Premature end of file?", 21, 255},
        {"refusal line after it", cutPath, "Not JPEG: ", 0, 255},
        {"non-fatal prefix", PhotoPath("broken/exif-links-outside-block.jpg"), "Nonfatal Error : ", 0, 255},
        {"non-fatal message", PhotoPath("broken/exif-links-outside-block.jpg"), "Illegal exif or interop", 5, 255},
        {"line before it", PhotoPath("broken/exif-links-outside-block.jpg"), "Exif Dir:", 0, 0},
        {"line after it", PhotoPath("broken/exif-links-outside-block.jpg"), "Illegal exif or interop", 50, 0},
    };
    for (const auto& c : cases) {
        DropFiles(window, {c.path});
        ASSERT_EQ(WindowText(shell.statusBar), c.path) << c.label;
        HWND exif = PaneContent(ReportPane::Exif);
        LONG anchor = FindInPane(exif, c.anchor);
        ASSERT_GE(anchor, 0) << c.label;
        EXPECT_EQ(ColorAt(exif, anchor + c.offset), c.colour) << c.label;
    }
    // What the Exif pane is given never lands in the other panes.
    DropFiles(window, {cutPath});
    EXPECT_EQ(PaneWindowText(ReportPane::Jpeg), "");
    EXPECT_EQ(PaneWindowText(ReportPane::IptcXmp), "");
}

bool AnyPixelIn(HWND pane, int width, int height, bool (*test)(COLORREF)) {
    HDC dc = GetDC(pane);
    bool found = false;
    for (int y = 0; y < height && !found; y++) {
        for (int x = 0; x < width && !found; x++) found = test(GetPixel(dc, x, y));
    }
    ReleaseDC(pane, dc);
    return found;
}

TEST_F(MainWindowTest, ThumbnailPaneShowsPictureOrRedText) {
    ChooseTab(window, kThumbnail);
    HWND pane = PaneContent(ReportPane::Thumbnail);
    const struct {
        const char* label;
        std::string path;
        bool picture;
    } cases[] = {
        {"with thumbnail", PhotoPath("ii-camera-gps-north-east.jpg"), true},
        {"without thumbnail", PhotoPath("mm-iso-5.jpg"), false},
        {"thumbnail again", PhotoPath("mm-camera-gps-south-west.jpg"), true},
    };
    for (const auto& c : cases) {
        DropFiles(window, {c.path});
        UpdateWindow(pane);
        PumpMessages();
        EXPECT_EQ(ThumbnailBitmap(shell.analysis.thumbnail) != nullptr, c.picture) << c.label;
        RECT client;
        GetClientRect(pane, &client);
        const int cx = client.right / 2;
        const int cy = client.bottom / 2;
        HDC dc = GetDC(pane);
        COLORREF centre = GetPixel(dc, cx, cy);
        ReleaseDC(pane, dc);
        // The small picture sits in the middle over the window colour; the
        // text is red from the top-left corner.
        EXPECT_EQ(centre != GetSysColor(COLOR_WINDOW), c.picture) << c.label;
        bool red = AnyPixelIn(pane, 200, 20, [](COLORREF p) { return GetRValue(p) > 200 && GetGValue(p) < 80; });
        EXPECT_EQ(red, !c.picture) << c.label;
    }
}

}  // namespace

namespace {

// Every .jpg below a folder, in the order the file system lists them.
void CollectJpegs(const std::string& folder, std::vector<std::string>* paths) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectJpegs(path, paths);
        } else if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".jpg") == 0) {
            paths->push_back(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

TEST_F(MainWindowTest, OpeningEveryCameraFileLeavesNoThumbnailBitmapBehind) {
    std::vector<std::string> paths;
    CollectJpegs(PhotoPath(""), &paths);
    ASSERT_GE(paths.size(), 39u);
    if (CorpusPresent()) CollectJpegs(CorpusPath("camera"), &paths);
    ChooseTab(window, kThumbnail);
    HWND pane = PaneContent(ReportPane::Thumbnail);
    HBITMAP previous = nullptr;
    int pictures = 0;
    for (const std::string& path : paths) {
        DropFiles(window, {path});
        UpdateWindow(pane);  // paint it: the memory DC of the painting must go too
        PumpMessages();
        HBITMAP current = ThumbnailBitmap(shell.analysis.thumbnail);
        if (current != nullptr) pictures++;
        // The previous file's bitmap was deleted when the panes were cleared
        // (a new bitmap may have been given the same handle value).
        if (previous != nullptr && previous != current) {
            EXPECT_EQ(GetObjectType(previous), 0u) << path;
        }
        previous = current;
    }
    EXPECT_GT(pictures, 15);
    // A file without a thumbnail leaves none, and the last bitmap is gone.
    DropFiles(window, {PhotoPath("mm-iso-5.jpg")});
    EXPECT_EQ(ThumbnailBitmap(shell.analysis.thumbnail), nullptr);
    if (previous != nullptr) {
        EXPECT_EQ(GetObjectType(previous), 0u);
    }
}

}  // namespace
