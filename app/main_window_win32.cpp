#include "app/main_window_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>

#include "app/commands_win32.h"
#include "app/pane_layout_win32.h"
#include "app/report_sink_win32.h"
#include "app/shell_state_win32.h"
#include "app/splitter_win32.h"
#include "app/thumbnail_pane_win32.h"
#include "app/ui_strings_win32.h"
#include "core/thumbnail.h"

ShellState shell;

namespace {

constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
constexpr DWORD kTabStyle = WS_CHILD | WS_VISIBLE | TCS_FIXEDWIDTH;
constexpr DWORD kBandContainerStyle = WS_CHILD | WS_VISIBLE | RBS_BANDBORDERS | CCS_VERT | CCS_NODIVIDER | CCS_TOP;
constexpr DWORD kThumbnailStyle = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;
constexpr DWORD kTextPaneStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE;

int ClientWidth(const RECT& r) { return r.right - r.left; }
int ClientHeight(const RECT& r) { return r.bottom - r.top; }

PixelRect ToPixelRect(const RECT& r) {
    PixelRect p;
    p.left = r.left;
    p.top = r.top;
    p.right = r.right;
    p.bottom = r.bottom;
    return p;
}

HINSTANCE Instance() { return shell.appContext != nullptr ? shell.appContext->instance : nullptr; }

void SetFont(HWND window, HFONT font) { SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

HFONT PaneFont() { return shell.appContext != nullptr ? shell.appContext->paneFont : nullptr; }

// The band's child runs across the vertical band container: its sizes
// are the container's width, the band's length is its height.
void SizeBand(int pane, const RECT& containerClient) {
    REBARBANDINFOA& band = shell.bandInfo[pane];
    band.cyMinChild = static_cast<UINT>(ClientWidth(containerClient));
    band.cyChild = static_cast<UINT>(ClientWidth(containerClient));
    band.cx = static_cast<UINT>(ClientHeight(containerClient));
}

void InitBandInfo(int pane) {
    REBARBANDINFOA& band = shell.bandInfo[pane];
    std::memset(&band, 0, sizeof band);
    // The record up to cxHeader: 80 bytes in a 32-bit program.
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.fStyle = RBBS_FIXEDBMP | RBBS_GRIPPERALWAYS;
    band.lpText = const_cast<char*>(kPaneTitles[pane]);
}

HWND CreateTextPane(int pane, HWND parent, const RECT& area) {
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", kPaneTitles[pane], kTextPaneStyle, area.left,
                                area.top, ClientWidth(area), ClientHeight(area), parent, nullptr, Instance(), nullptr);
    SetFont(edit, PaneFont());
    // One font for all scripts: no font switching for the Japanese text.
    LRESULT options = SendMessageA(edit, EM_GETLANGOPTIONS, 0, 0);
    options = (options & ~static_cast<LRESULT>(IMF_DUALFONT)) | IMF_UIFONTS;
    SendMessageA(edit, EM_SETLANGOPTIONS, 0, options);
    // The control's default limit (32767 characters) would cut a long EXIF or
    // XMP listing without a word; the pane takes all the text it is given.
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    return edit;
}

HWND CreateThumbnailPane(HWND parent, const RECT& area) {
    HWND picture = CreateWindowExA(WS_EX_CLIENTEDGE, "Static", "", kThumbnailStyle, area.left, area.top,
                                   ClientWidth(area), ClientHeight(area), parent, nullptr, Instance(), nullptr);
    SetFont(picture, PaneFont());
    return picture;
}

void SubclassBandContainer(HWND band) {
    if (band == nullptr) return;
    LONG_PTR previous = SetWindowLongPtrA(band, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWindowProc));
    SetWindowLongPtrA(band, GWLP_USERDATA, previous);
}

// Gives a band container its own procedure back, so that its destruction
// runs the control's own clean-up.
void UnsubclassBandContainer(HWND band) {
    if (band == nullptr) return;
    LONG_PTR previous = GetWindowLongPtrA(band, GWLP_USERDATA);
    if (previous != 0) SetWindowLongPtrA(band, GWLP_WNDPROC, previous);
}

void CreatePane(int pane) {
    RECT display;
    GetClientRect(shell.tabControl, &display);
    SendMessageA(shell.tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    HWND container = CreateWindowExA(0, "Static", nullptr, WS_CHILD | WS_VISIBLE, display.left, display.top,
                                     ClientWidth(display), ClientHeight(display), shell.tabControl, nullptr,
                                     Instance(), nullptr);
    shell.paneContainers[pane] = container;

    RECT containerClient;
    std::memset(&containerClient, 0, sizeof containerClient);
    GetClientRect(container, &containerClient);
    HWND band = CreateWindowExA(0, REBARCLASSNAMEA, nullptr, kBandContainerStyle, 0, 0, ClientWidth(containerClient),
                                ClientHeight(containerClient), container, nullptr, Instance(), nullptr);
    shell.bandContainers[pane] = band;
    SubclassBandContainer(band);

    REBARINFO bar;
    std::memset(&bar, 0, sizeof bar);
    bar.cbSize = sizeof bar;
    SendMessageA(band, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&bar));
    SizeBand(pane, containerClient);

    RECT bandClient;
    std::memset(&bandClient, 0, sizeof bandClient);
    GetClientRect(band, &bandClient);
    HWND content = pane == static_cast<int>(ReportPane::Thumbnail) ? CreateThumbnailPane(band, bandClient)
                                                                   : CreateTextPane(pane, band, bandClient);
    shell.paneContents[pane] = content;
    shell.bandInfo[pane].hwndChild = content;
    SendMessageA(band, RB_INSERTBANDA, 0, reinterpret_cast<LPARAM>(&shell.bandInfo[pane]));
}

void CreateStatusBar(HWND window) {
    shell.statusBar = CreateWindowExA(WS_EX_CLIENTEDGE, STATUSCLASSNAMEA, "", kStatusBarStyle, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, Instance(), nullptr);
    RECT r;
    std::memset(&r, 0, sizeof r);
    GetWindowRect(shell.statusBar, &r);
    shell.statusBarHeight = r.bottom - r.top;
}

void CreateTabControl(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    shell.tabControl = CreateWindowExA(0, WC_TABCONTROLA, "", kTabStyle, 0, 0, ClientWidth(client),
                                       ClientHeight(client) - shell.statusBarHeight, window, nullptr, Instance(),
                                       nullptr);
    SetFont(shell.tabControl, shell.appContext != nullptr ? shell.appContext->tabFont : nullptr);
    for (int pane = 0; pane < kPaneCount; pane++) {
        TCITEMA item;
        std::memset(&item, 0, sizeof item);
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kPaneTitles[pane]);
        SendMessageA(shell.tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(&item));
    }
}

void ComputeMinTrackSize(HWND window) {
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    shell.minTrackSize = MinimumTrackSize(ToPixelRect(outer), ToPixelRect(client), shell.statusBarHeight);
}

void OnCreate(HWND window, const CREATESTRUCTA* create) {
    shell = ShellState{};
    shell.appContext = static_cast<AppContext*>(create->lpCreateParams);
    shell.mainWindow = window;
    shell.splitter.percents = SplitPercents{};
    shell.selectedPane = ReportPane::Jpeg;
    shell.tabbedMode = true;
    for (int pane = 0; pane < kPaneCount; pane++) InitBandInfo(pane);

    AddSystemMenuItems(window);
    CreateStatusBar(window);
    CreateTabControl(window);
    PositionsFromPercents(window);
    for (int pane = 0; pane < kPaneCount; pane++) CreatePane(pane);
    ApplyLayout(window);
    SetFocus(PaneContent(shell.selectedPane));
    CreateSplitterRegions();
    ComputeMinTrackSize(window);
    InstallRichEditReportSink();
    if (shell.appContext != nullptr && shell.appContext->startPath[0] != '\0') {
        OpenPath(shell.appContext->startPath);
    }
}

void OnSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    int width = ClientWidth(client);
    int height = ClientHeight(client);
    MoveWindow(shell.tabControl, 0, 0, width, height - shell.statusBarHeight, FALSE);
    MoveWindow(shell.statusBar, 0, height - shell.statusBarHeight, width, shell.statusBarHeight, FALSE);
    PositionsFromPercents(window);
    ApplyLayout(window);
}

void OnClose(HWND window) {
    DeleteSplitterRegions();
    // The report goes nowhere from now on, and the thumbnail bitmap is deleted.
    ResetAnalysis(shell.analysis, nullptr);
    for (int pane = 0; pane < kPaneCount; pane++) {
        UnsubclassBandContainer(shell.bandContainers[pane]);
        shell.paneContents[pane] = nullptr;
        shell.bandContainers[pane] = nullptr;
    }
    DestroyWindow(window);
}

LRESULT PassToBandControl(HWND band, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(band, GWLP_USERDATA));
    if (own == nullptr) return DefWindowProcA(band, message, wParam, lParam);
    return CallWindowProcA(own, band, message, wParam, lParam);
}

void SizeBandContainer(int pane) {
    RECT containerClient;
    std::memset(&containerClient, 0, sizeof containerClient);
    GetClientRect(shell.paneContainers[pane], &containerClient);
    MoveWindow(shell.bandContainers[pane], containerClient.left, containerClient.top, ClientWidth(containerClient),
               ClientHeight(containerClient), TRUE);
    SizeBand(pane, containerClient);
    SendMessageA(shell.bandContainers[pane], RB_SETBANDINFOA, 0, reinterpret_cast<LPARAM>(&shell.bandInfo[pane]));
}

LRESULT BandContainerProc(int pane, HWND band, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: SizeBandContainer(pane); return 0;
        case WM_SETCURSOR:
            // Over the band header the pointer stays the arrow.
            if (LOWORD(lParam) != HTCLIENT) break;
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            return 0;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            // The static's owner-draw request reaches the band container, its parent.
            if (item != nullptr && item->hwndItem == PaneContent(ReportPane::Thumbnail)) {
                SendMessageA(GetAncestor(band, GA_ROOT), WM_DRAWITEM, wParam, lParam);
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_LBUTTONDBLCLK: ToggleLayout(static_cast<ReportPane>(pane)); return 0;
        default: break;
    }
    return PassToBandControl(band, message, wParam, lParam);
}

int BandContainerIndex(HWND window) {
    for (int pane = 0; pane < kPaneCount; pane++) {
        if (shell.bandContainers[pane] != nullptr && window == shell.bandContainers[pane]) return pane;
    }
    return -1;
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->hwndFrom == shell.tabControl && header->hwndFrom != nullptr &&
        header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        OnTabSelectionChange();
        return 1;
    }
    return DefWindowProcA(window, WM_NOTIFY, wParam, lParam);
}

LRESULT OnMouse(HWND window, UINT message) {
    if (shell.tabbedMode) return 0;
    switch (message) {
        case WM_MOUSEMOVE: OnSplitterMouseMove(window); break;
        case WM_LBUTTONDOWN: OnSplitterButtonDown(window); break;
        case WM_LBUTTONUP: OnSplitterButtonUp(window); break;
        case WM_LBUTTONDBLCLK: OnSplitterDoubleClick(window); break;
        default: break;
    }
    return 0;
}

}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON, 0, 0,
                                                      LR_SHARED | LR_DEFAULTSIZE));
    windowClass.hCursor = static_cast<HCURSOR>(
        LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExA(&windowClass);
}

void UnregisterMainWindowClass(HINSTANCE instance) { UnregisterClassA(kWindowClassName, instance); }

HWND CreateMainWindow(AppContext* context) {
    return CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kWindowClassName, "Pixloupe", WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, context->instance, context);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int band = BandContainerIndex(window);
    if (band >= 0) return BandContainerProc(band, window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam)); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_SIZE: OnSize(window); return 0;
        case WM_CLOSE: OnClose(window); return 1;
        case WM_GETMINMAXINFO: {
            MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = shell.minTrackSize.width;
            info->ptMinTrackSize.y = shell.minTrackSize.height;
            return 0;
        }
        case WM_DRAWITEM: OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return 1;
        case WM_NOTIFY: return OnNotify(window, wParam, lParam);
        case WM_CONTEXTMENU:
            OnContextMenu(window, wParam, lParam);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_COMMAND: OnCommand(window, wParam); return 0;
        case WM_SYSCOMMAND:
            if (OnSysCommand(window, wParam)) return 1;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_CTLCOLORDLG: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK: return OnMouse(window, message);
        case WM_CAPTURECHANGED:
            OnSplitterCaptureChanged(window, reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
