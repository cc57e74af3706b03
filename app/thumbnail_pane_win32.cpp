#include "app/thumbnail_pane_win32.h"

#include "app/shell_state_win32.h"
#include "app/thumbnail_placement.h"
#include "app/ui_strings_win32.h"
#include "thumbnail/thumbnail_win32.h"

void OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->hwndItem == nullptr || item->hwndItem != PaneContent(ReportPane::Thumbnail)) return;
    RECT area = item->rcItem;
    FillRect(item->hDC, &area, GetSysColorBrush(COLOR_WINDOW));
    if (ThumbnailBitmap(shell.analysis.thumbnail) != nullptr) {
        PaintThumbnail(item->hDC, area);
        return;
    }
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, RGB(255, 0, 0));
    DrawTextA(item->hDC, kNoThumbnailText, -1, &area, DT_WORDBREAK);
}

void PaintThumbnail(HDC dc, RECT area) {
    HBITMAP bitmap = ThumbnailBitmap(shell.analysis.thumbnail);
    if (bitmap == nullptr) return;
    BITMAP facts;
    if (GetObjectA(bitmap, sizeof facts, &facts) == 0) return;
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PixelRect pane;
    pane.left = area.left;
    pane.top = area.top;
    pane.right = area.right;
    pane.bottom = area.bottom;
    PixelRect target = ThumbnailTargetRect(pane, facts.bmWidth, facts.bmHeight);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, target.left, target.top, RectWidth(target), RectHeight(target), memory, 0, 0, facts.bmWidth,
               facts.bmHeight, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}
