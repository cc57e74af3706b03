#include "app/splitter_win32.h"

#include "app/pane_layout_win32.h"
#include "app/shell_state_win32.h"

namespace {

SplitterState& Splitter() { return shell.splitter; }

SplitInput MeasureInput(HWND mainWindow) {
    RECT client;
    GetClientRect(mainWindow, &client);
    POINT pointer;
    GetCursorPos(&pointer);
    ScreenToClient(mainWindow, &pointer);
    SplitInput in;
    in.width = client.right;
    in.barsHeight = client.bottom - shell.statusBarHeight;
    in.halfBar = (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXEDGE)) / 2;
    in.pointerX = pointer.x;
    in.pointerY = pointer.y;
    return in;
}

// The bar's rectangles, in client coordinates, become the bar region in
// window coordinates (the frame and caption lie before the client area).
void SetBarRegion(HWND mainWindow, const SplitGeometry& g) {
    HRGN bar = Splitter().barRegion;
    if (bar == nullptr) return;
    SetRectRgn(bar, 0, 0, 0, 0);
    for (int i = 0; i < g.barRectCount; i++) {
        const PixelRect& r = g.barRects[i];
        HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        if (part == nullptr) continue;
        CombineRgn(bar, bar, part, RGN_OR);
        DeleteObject(part);
    }
    RECT window;
    GetWindowRect(mainWindow, &window);
    POINT origin = {0, 0};
    ClientToScreen(mainWindow, &origin);
    OffsetRgn(bar, origin.x - window.left, origin.y - window.top);
}

void SetDragClip(HWND mainWindow, const PixelRect& clip) {
    POINT corners[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
    ClientToScreen(mainWindow, &corners[0]);
    ClientToScreen(mainWindow, &corners[1]);
    SetRect(&Splitter().dragClipRect, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

void ShowBarCursor() {
    HINSTANCE instance = shell.appContext != nullptr ? shell.appContext->instance : nullptr;
    HANDLE cursor = LoadImageA(instance, MAKEINTRESOURCEA(Splitter().cursorId), IMAGE_CURSOR, 0, 0,
                               LR_SHARED | LR_DEFAULTSIZE);
    if (cursor != nullptr) SetCursor(static_cast<HCURSOR>(cursor));
}

// Inverts every second pixel of the region through the checkerboard brush,
// so drawing the same region twice restores the screen.
void InvertRegion(HWND mainWindow, HRGN region) {
    if (region == nullptr) return;
    RECT box;
    GetRgnBox(region, &box);
    HDC dc = GetWindowDC(mainWindow);
    if (dc == nullptr) return;
    HBRUSH brush = shell.appContext != nullptr ? shell.appContext->dragBrush : nullptr;
    HGDIOBJ previous = SelectObject(dc, brush != nullptr ? static_cast<HGDIOBJ>(brush) : GetStockObject(GRAY_BRUSH));
    SelectClipRgn(dc, region);
    PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
    SelectObject(dc, previous);
    ReleaseDC(mainWindow, dc);
}

void CopyRegion(HRGN target, HRGN source) {
    if (target != nullptr && source != nullptr) CombineRgn(target, source, nullptr, RGN_COPY);
}

void Commit(HWND mainWindow) {
    SplitterState& s = Splitter();
    UpdateSplitGeometry(mainWindow, SplitHit::None, s.trackRects);
    for (int i = 0; i < 4; i++) s.paneRects[i] = s.trackRects[i];
    RECT client;
    GetClientRect(mainWindow, &client);
    s.percents = PercentsFromPositions(s.positions, client.right, client.bottom - shell.statusBarHeight, s.percents);
    ApplyLayout(mainWindow);
}

// Ends a drag: frees the pointer, gives the capture back if still held and
// erases the inverted bar. Returns false when no drag was running.
bool EndDrag(HWND mainWindow, bool releaseCapture) {
    SplitterState& s = Splitter();
    if (s.dragCode == SplitHit::None) return false;
    s.dragCode = SplitHit::None;
    ClipCursor(nullptr);
    if (releaseCapture) ReleaseCapture();
    InvertRegion(mainWindow, s.shownBarRegion);
    if (s.shownBarRegion != nullptr) SetRectRgn(s.shownBarRegion, 0, 0, 0, 0);
    return true;
}

}  // namespace

void PositionsFromPercents(HWND mainWindow) {
    RECT client;
    GetClientRect(mainWindow, &client);
    Splitter().positions =
        PositionsFromPercents(Splitter().percents, client.right, client.bottom - shell.statusBarHeight);
    UpdateSplitGeometry(mainWindow, SplitHit::None, Splitter().paneRects);
}

SplitHit UpdateSplitGeometry(HWND mainWindow, SplitHit code, PixelRect* rects) {
    SplitterState& s = Splitter();
    SplitGeometry g = ComputeSplitGeometry(MeasureInput(mainWindow), s.positions, code);
    s.positions = g.positions;
    for (int i = 0; i < 4; i++) rects[i] = g.paneRects[i];
    s.cursorId = g.cursorId;
    SetBarRegion(mainWindow, g);
    SetDragClip(mainWindow, g.clipRect);
    return g.code;
}

void CreateSplitterRegions() {
    SplitterState& s = Splitter();
    s.barRegion = CreateRectRgn(0, 0, 0, 0);
    s.scratchRegion = CreateRectRgn(0, 0, 0, 0);
    s.shownBarRegion = CreateRectRgn(0, 0, 0, 0);
}

void DeleteSplitterRegions() {
    SplitterState& s = Splitter();
    HRGN* regions[3] = {&s.barRegion, &s.scratchRegion, &s.shownBarRegion};
    for (HRGN* region : regions) {
        if (*region != nullptr) DeleteObject(*region);
        *region = nullptr;
    }
}

void OnSplitterMouseMove(HWND mainWindow) {
    SplitterState& s = Splitter();
    if (s.dragCode == SplitHit::None) {
        UpdateSplitGeometry(mainWindow, SplitHit::None, s.trackRects);
        ShowBarCursor();
        return;
    }
    UpdateSplitGeometry(mainWindow, s.dragCode, s.trackRects);
    ShowBarCursor();
    // One inversion erases the old bar and draws the new one; where they
    // overlap nothing changes.
    if (s.scratchRegion != nullptr && s.barRegion != nullptr && s.shownBarRegion != nullptr) {
        CombineRgn(s.scratchRegion, s.barRegion, s.shownBarRegion, RGN_XOR);
        InvertRegion(mainWindow, s.scratchRegion);
    }
    CopyRegion(s.shownBarRegion, s.barRegion);
}

void OnSplitterButtonDown(HWND mainWindow) {
    SplitterState& s = Splitter();
    s.dragCode = UpdateSplitGeometry(mainWindow, SplitHit::None, s.trackRects);
    s.dragStartPositions = s.positions;
    ShowBarCursor();
    SetCapture(mainWindow);
    ClipCursor(&s.dragClipRect);
    CopyRegion(s.scratchRegion, s.barRegion);
    InvertRegion(mainWindow, s.scratchRegion);
    CopyRegion(s.shownBarRegion, s.barRegion);
}

void OnSplitterButtonUp(HWND mainWindow) {
    // The release point is not applied: the bars stay where the last move put them.
    if (!EndDrag(mainWindow, true)) return;
    Commit(mainWindow);
}

void OnSplitterDoubleClick(HWND mainWindow) {
    SplitterState& s = Splitter();
    SplitHit code = UpdateSplitGeometry(mainWindow, SplitHit::None, s.trackRects);
    s.positions = AlignHalfBars(s.positions, code);
    Commit(mainWindow);
}

void OnSplitterCaptureChanged(HWND mainWindow, HWND newCapture) {
    // Our own ReleaseCapture at button-up also lands here, after the drag ended.
    if (newCapture == mainWindow) return;
    // The drag is cancelled: the bars go back to where it began and the
    // panes, never moved during a drag, keep their committed places.
    if (!EndDrag(mainWindow, false)) return;
    Splitter().positions = Splitter().dragStartPositions;
}
