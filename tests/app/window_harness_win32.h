// Drives the real main window inside the test process: the same class,
// creation and window procedure as the program, fed the messages that a
// user's actions produce.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window_win32.h"
#include "app/process_resources_win32.h"
#include "app/shell_state_win32.h"

// Process-wide objects of the program, made once for the whole test run.
class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::memset(&context, 0, sizeof context);
        std::memset(&resources, 0, sizeof resources);
        context.instance = GetModuleHandleA(nullptr);
        StartProcessResources(&context, &resources);
        RegisterMainWindowClass(context.instance);
    }
    void TearDown() override {
        UnregisterMainWindowClass(context.instance);
        StopProcessResources(&context, &resources);
    }
    inline static AppContext context;
    inline static ProcessResources resources;
};

// Handles the messages queued for the test thread; a quit message posted by
// a closed window is dropped.
inline void PumpMessages() {
    MSG message;
    for (int i = 0; i < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); i++) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

inline HWND OpenMainWindow(const std::string& startPath = std::string()) {
    AppContext& context = WindowEnvironment::context;
    lstrcpynA(context.startPath, startPath.c_str(), sizeof context.startPath);
    HWND window = CreateMainWindow(&context);
    if (window != nullptr) {
        // Above every other window of the display, whose pixels some tests read.
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        SetForegroundWindow(window);
    }
    PumpMessages();
    context.startPath[0] = '\0';
    return window;
}

inline void CloseMainWindow(HWND window) {
    if (window != nullptr && IsWindow(window)) SendMessageA(window, WM_CLOSE, 0, 0);
    PumpMessages();
}

// The window tests each get a fresh main window.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = OpenMainWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { CloseMainWindow(window); }
    HWND window = nullptr;
};

inline std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

// A rich edit's text through WM_GETTEXT, as any program reads it.
inline std::string PaneWindowText(ReportPane pane) {
    HWND edit = PaneContent(pane);
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    // The length counts characters; a Japanese one takes two bytes.
    std::string text(static_cast<size_t>(length) * 2 + 2, '\0');
    LRESULT got = SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

inline bool HasVisibleStyle(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// A window's position and size in its parent's client coordinates.
inline PixelRect PlaceInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    PixelRect p;
    p.left = r.left;
    p.top = r.top;
    p.right = r.right;
    p.bottom = r.bottom;
    return p;
}

inline PixelRect ClientPixelRect(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    PixelRect p;
    p.right = r.right;
    p.bottom = r.bottom;
    return p;
}

inline std::string Describe(const PixelRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Puts the pointer at a point of the main window's client area.
inline void PointerAt(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    SetCursorPos(p.x, p.y);
}

inline POINT PointerInClient(HWND window) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    return p;
}

// A mouse message at a client point, with the pointer moved there first
// (the splitter reads the pointer, not the message's coordinates).
inline LRESULT Mouse(HWND window, UINT message, int x, int y) {
    PointerAt(window, x, y);
    LRESULT result = SendMessageA(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    PumpMessages();
    return result;
}

inline LRESULT DoubleClickBandHeader(ReportPane pane) {
    LRESULT result = SendMessageA(shell.bandContainers[static_cast<int>(pane)], WM_LBUTTONDBLCLK, MK_LBUTTON,
                                  MAKELPARAM(5, 5));
    PumpMessages();
    return result;
}

inline LRESULT ChooseTab(HWND window, int index) {
    SendMessageA(shell.tabControl, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header;
    header.hwndFrom = shell.tabControl;
    header.idFrom = 0;
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    LRESULT result = SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    PumpMessages();
    return result;
}

// A drop handle as the shell makes it: DROPFILES, then the 8-bit paths,
// each NUL-terminated, and one more NUL.
inline HDROP BuildDrop(const std::vector<std::string>& paths) {
    size_t listSize = 1;
    for (const std::string& p : paths) listSize += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + listSize);
    if (memory == nullptr) return nullptr;
    char* base = static_cast<char*>(GlobalLock(memory));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(base);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* list = base + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(list, p.c_str(), p.size() + 1);
        list += p.size() + 1;
    }
    *list = '\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

inline void DropFiles(HWND window, const std::vector<std::string>& paths) {
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop(paths)), 0);
    PumpMessages();
}

// A Unix path as the Windows side names it: the Unix root is drive Z:.
inline std::string WindowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return "Z:" + path;
}

// A file or folder of the project's photographs; "" is the folder itself.
inline std::string PhotoPath(const std::string& relative) {
    return WindowsPath(std::string(PIXLOUPE_PHOTOS_DIR) + (relative.empty() ? "" : "/" + relative));
}

inline std::string CorpusPath(const std::string& relative) {
    return WindowsPath(std::string(PIXLOUPE_CORPUS_DIR) + "/" + relative);
}

// The optional corpus (PIXLOUPE_CORPUS) is there.
inline bool CorpusPresent() {
    DWORD attributes = GetFileAttributesA(WindowsPath(PIXLOUPE_CORPUS_DIR).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Colour of the character at a rich-edit position.
inline COLORREF ColorAt(HWND edit, LONG position) {
    CHARRANGE range = {position, position + 1};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMATA format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.crTextColor;
}

// Character position of the first occurrence of text in a rich edit, or -1.
inline LONG FindInPane(HWND edit, const char* text) {
    FINDTEXTA find;
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    find.lpstrText = text;
    return static_cast<LONG>(SendMessageA(edit, EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
}
