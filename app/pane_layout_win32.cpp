#include "app/pane_layout_win32.h"

#include <commctrl.h>

#include "app/shell_state_win32.h"

namespace {

RECT TabDisplayArea() {
    RECT area;
    GetClientRect(shell.tabControl, &area);
    SendMessageA(shell.tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

void ShowContainer(int pane, bool visible) {
    ShowWindow(shell.paneContainers[pane], visible ? SW_SHOWNORMAL : SW_HIDE);
    UpdateWindow(shell.paneContainers[pane]);
}

// The band container re-fits its band to the container it sits in.
void RefitBand(int pane) { SendMessageA(shell.bandContainers[pane], WM_SIZE, 0, 0); }

void ApplyTabbedLayout() {
    SendMessageA(shell.tabControl, TCM_SETCURSEL, static_cast<WPARAM>(shell.selectedPane), 0);
    for (int pane = 0; pane < kPaneCount; pane++) {
        ShowContainer(pane, false);
        SetParent(shell.paneContainers[pane], shell.tabControl);
    }
    RECT area = TabDisplayArea();
    for (int pane = 0; pane < kPaneCount; pane++) {
        MoveWindow(shell.paneContainers[pane], area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
        RefitBand(pane);
    }
    for (int pane = 0; pane < kPaneCount; pane++) {
        ShowContainer(pane, pane == static_cast<int>(shell.selectedPane));
    }
    ShowWindow(shell.tabControl, SW_SHOWNORMAL);
    UpdateWindow(shell.tabControl);
}

// Position and size of a container in its parent's client coordinates.
PixelRect ContainerPlace(HWND container) {
    RECT r;
    GetWindowRect(container, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(container), reinterpret_cast<POINT*>(&r), 2);
    PixelRect place;
    place.left = r.left;
    place.top = r.top;
    place.right = r.right;
    place.bottom = r.bottom;
    return place;
}

void ApplySplitLayout(HWND mainWindow) {
    ShowWindow(shell.tabControl, SW_HIDE);
    UpdateWindow(shell.tabControl);
    for (int pane = 0; pane < kPaneCount; pane++) SetParent(shell.paneContainers[pane], mainWindow);
    for (int pane = 0; pane < kPaneCount; pane++) {
        const PixelRect& target = shell.splitter.paneRects[pane];
        if (ContainerPlace(shell.paneContainers[pane]) == target) continue;
        MoveWindow(shell.paneContainers[pane], target.left, target.top, RectWidth(target), RectHeight(target), TRUE);
        RefitBand(pane);
    }
    for (int pane = 0; pane < kPaneCount; pane++) ShowContainer(pane, true);
}

}  // namespace

void ApplyLayout(HWND mainWindow) {
    if (shell.tabbedMode) {
        ApplyTabbedLayout();
    } else {
        ApplySplitLayout(mainWindow);
    }
}

void ToggleLayout(ReportPane pane) {
    if (!shell.tabbedMode) shell.selectedPane = pane;
    shell.tabbedMode = !shell.tabbedMode;
    ApplyLayout(GetAncestor(shell.bandContainers[static_cast<int>(pane)], GA_ROOT));
}

void OnTabSelectionChange() {
    if (!shell.tabbedMode) return;
    LRESULT selection = SendMessageA(shell.tabControl, TCM_GETCURSEL, 0, 0);
    // No tab selected (-1) or an index past the panes: keep the current pane.
    if (selection >= 0 && selection < kPaneCount) shell.selectedPane = static_cast<ReportPane>(selection);
    for (int pane = 0; pane < kPaneCount; pane++) {
        bool selected = pane == static_cast<int>(shell.selectedPane);
        ShowContainer(pane, selected);
        if (selected && pane == static_cast<int>(ReportPane::Thumbnail)) {
            RedrawWindow(PaneContent(ReportPane::Thumbnail), nullptr, nullptr, RDW_INVALIDATE);
        }
    }
}
