#include "app/commands_win32.h"

#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "app/shell_state_win32.h"
#include "app/ui_strings_win32.h"
#include "analyze/analyze_file.h"
#include "core/thumbnail.h"

namespace {

constexpr size_t kPathBufferSize = 260;

MENUITEMINFOA CommandItem(UINT id, char* label) {
    MENUITEMINFOA item;
    std::memset(&item, 0, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING;
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwTypeData = label;
    return item;
}

MENUITEMINFOA SeparatorItem() {
    MENUITEMINFOA item;
    std::memset(&item, 0, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    item.fType = MFT_SEPARATOR;
    return item;
}

// Open, separator, About, separator.
MENUITEMINFOA menuItems[4] = {CommandItem(kCmdOpen, kOpenLabel), SeparatorItem(), CommandItem(kCmdAbout, kAboutLabel),
                              SeparatorItem()};

// Every item goes in enabled and unchecked.
void InsertMenuEntry(HMENU menu, UINT position, int entry) {
    menuItems[entry].fState &= ~static_cast<UINT>(MFS_GRAYED | MFS_CHECKED);
    InsertMenuItemA(menu, position, TRUE, &menuItems[entry]);
}

bool OpensContextMenu(HWND target) {
    if (target == nullptr) return false;
    if (target == shell.tabControl) return true;
    for (HWND container : shell.paneContainers) {
        if (target == container) return true;
    }
    return false;
}

// Centres the dialog on the primary screen when it opens; the dialog's own
// processing always runs after.
UINT_PTR CALLBACK CentreDialogHook(HWND hookWindow, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        HWND dialog = GetAncestor(hookWindow, GA_ROOT);
        RECT r;
        GetWindowRect(dialog, &r);
        int w = r.right - r.left;
        int h = r.bottom - r.top;
        MoveWindow(dialog, GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2, GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2, w, h,
                   FALSE);
    }
    return 0;
}

void RunOpen(HWND mainWindow) {
    char path[kPathBufferSize];
    std::memset(path, 0, sizeof path);
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mainWindow;
    // Each pair is a name and its patterns; the literal's own NUL ends the list.
    dialog.lpstrFilter =
        "jpeg file(*.jpg)\0*.jpg\0"
        "Photographs\0*.jpg;*.jpeg;*.jpe;*.jfif;*.tif;*.tiff;*.dng;*.cr2;*.nef;*.nrw;*.arw;*.srf;*.sr2;*.orf;*.rw2;"
        "*.raf;*.pef;*.srw;*.3fr;*.erf;*.kdc;*.dcr;*.mos;*.iiq;*.heic;*.heif;*.hif;*.avif;*.cr3;*.png;*.webp\0";
    dialog.nMaxCustFilter = 256;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "jpg";
    dialog.lpfnHook = CentreDialogHook;
    if (GetOpenFileNameA(&dialog)) OpenPath(path);
}

void RunAbout(HWND mainWindow) {
    MSGBOXPARAMSA box;
    std::memset(&box, 0, sizeof box);
    box.cbSize = sizeof box;
    box.hwndOwner = mainWindow;
    box.hInstance = shell.appContext != nullptr ? shell.appContext->instance : nullptr;
    box.lpszText = kAboutText;
    box.lpszCaption = kAboutLabel;
    box.dwStyle = MB_USERICON | MB_OK;
    box.lpszIcon = MAKEINTRESOURCEA(kProgramIconId);
    box.dwLanguageId = MAKELANGID(LANG_JAPANESE, SUBLANG_NEUTRAL);
    MessageBoxIndirectA(&box);
}

bool RunCommand(HWND mainWindow, UINT id) {
    if (id == kCmdOpen) {
        RunOpen(mainWindow);
        return true;
    }
    if (id == kCmdAbout) {
        RunAbout(mainWindow);
        return true;
    }
    return false;
}

}  // namespace

void AddSystemMenuItems(HWND mainWindow) {
    HMENU menu = GetSystemMenu(mainWindow, FALSE);
    if (menu == nullptr) return;
    for (int entry = 0; entry < 4; entry++) InsertMenuEntry(menu, static_cast<UINT>(entry), entry);
}

void OnContextMenu(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    if (!OpensContextMenu(reinterpret_cast<HWND>(wParam))) return;
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) return;
    for (int entry = 0; entry < 3; entry++) InsertMenuEntry(popup, static_cast<UINT>(entry), entry);
    SetForegroundWindow(mainWindow);
    // The screen position: signed 16-bit x and y.
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    TrackPopupMenu(popup, TPM_LEFTBUTTON, x, y, 0, mainWindow, nullptr);
    DestroyMenu(popup);
}

void OnCommand(HWND mainWindow, WPARAM wParam) { RunCommand(mainWindow, LOWORD(wParam)); }

bool OnSysCommand(HWND mainWindow, WPARAM wParam) { return RunCommand(mainWindow, LOWORD(wParam)); }

void OnDropFiles(HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char path[kPathBufferSize];
    for (UINT i = 0; i < count; i++) {
        // A path too long for the buffer would arrive cut short and could
        // name another file: it is skipped like a missing one.
        if (DragQueryFileA(drop, i, nullptr, 0) >= sizeof path) continue;
        path[0] = '\0';
        if (DragQueryFileA(drop, i, path, sizeof path) == 0) continue;
        OpenPath(path);
    }
    DragFinish(drop);
}

void OpenPath(const char* path) {
    if (!PathFileExistsA(path) || PathIsDirectoryA(path)) return;
    ClearPanes();
    SetWindowTextA(shell.statusBar, path);
    AnalyzeFile(shell.analysis, path);
}

void ClearPanes() {
    for (HWND content : shell.paneContents) {
        SendMessageA(content, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        SendMessageA(content, EM_EMPTYUNDOBUFFER, 0, 0);
    }
    ReleaseThumbnail(shell.analysis.thumbnail);
    RedrawWindow(PaneContent(ReportPane::Thumbnail), nullptr, nullptr, RDW_INVALIDATE);
}
