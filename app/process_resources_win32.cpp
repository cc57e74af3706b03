#include "app/process_resources_win32.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <cstring>

#include "app/ui_strings_win32.h"

namespace {

// An 8 x 8 checkerboard: rows alternate 0x55 and 0xAA, each row padded to
// two bytes. Inverting through it twice restores the screen.
HBRUSH MakeDragBrush() {
    static const BYTE kBits[16] = {0x55, 0x55, 0xAA, 0xAA, 0x55, 0x55, 0xAA, 0xAA,
                                   0x55, 0x55, 0xAA, 0xAA, 0x55, 0x55, 0xAA, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kBits);
    HBRUSH brush = CreatePatternBrush(pattern);
    if (pattern != nullptr) DeleteObject(pattern);
    return brush;
}

HFONT MakeFont(LONG height, const char* face) {
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    font.lfHeight = height;
    font.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

}  // namespace

void StartProcessResources(AppContext* context, ProcessResources* resources) {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_PAGESCROLLER_CLASS;
    InitCommonControlsEx(&controls);

    resources->richEditLibrary = LoadLibraryA("RICHED20.DLL");

    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, no suppression
    resources->gdiplusToken = 0;
    if (Gdiplus::GdiplusStartup(&resources->gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
        resources->gdiplusToken = 0;
    }

    context->dragBrush = MakeDragBrush();
    context->paneFont = MakeFont(15, kPaneFontFace);
    context->tabFont = MakeFont(12, kTabFontFace);
}

void StopProcessResources(AppContext* context, ProcessResources* resources) {
    if (context->dragBrush != nullptr) DeleteObject(context->dragBrush);
    if (context->paneFont != nullptr) DeleteObject(context->paneFont);
    if (context->tabFont != nullptr) DeleteObject(context->tabFont);
    context->dragBrush = nullptr;
    context->paneFont = nullptr;
    context->tabFont = nullptr;
    if (resources->gdiplusToken != 0) Gdiplus::GdiplusShutdown(resources->gdiplusToken);
    resources->gdiplusToken = 0;
    if (resources->richEditLibrary != nullptr) FreeLibrary(resources->richEditLibrary);
    resources->richEditLibrary = nullptr;
}
