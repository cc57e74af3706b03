#include "app/report_sink_win32.h"

#include <windows.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "app/shell_state_win32.h"
#include "app/ui_strings_win32.h"

namespace {

class RichEditReportSink : public ReportSink {
public:
    // Inserted at the caret, which the previous insertion left at the end;
    // wParam 0: the insertion cannot be undone.
    void AppendText(ReportPane pane, const char* text, size_t length) override {
        HWND edit = PaneContent(pane);
        if (edit == nullptr || pane == ReportPane::Thumbnail) return;
        // The control takes NUL-terminated strings: a NUL byte inside the text
        // would end it early, so the pieces around it go in one by one.
        size_t start = 0;
        while (start < length) {
            const void* nul = std::memchr(text + start, '\0', length - start);
            size_t end = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
            if (end > start) {
                std::string piece(text + start, end - start);
                SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(piece.c_str()));
            }
            start = end + 1;
        }
    }

    // Only CFM_COLOR of the mask applies to a CHARFORMATA (CFM_SPACING has no
    // member there): the colour of the text inserted next changes, nothing else.
    void SetColor(ReportPane pane, uint32_t color) override {
        HWND edit = PaneContent(pane);
        if (edit == nullptr || pane == ReportPane::Thumbnail) return;
        CHARFORMATA format;
        std::memset(&format, 0, sizeof format);
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR | CFM_SPACING;
        format.dwEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
        format.yHeight = 160;
        format.crTextColor = color;
        format.bCharSet = SHIFTJIS_CHARSET;
        std::memcpy(format.szFaceName, kPaneFontFace, sizeof kPaneFontFace);
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
};

RichEditReportSink richEditSink;

}  // namespace

void InstallRichEditReportSink() {
    ResetAnalysis(shell.analysis, &richEditSink);
    // The window's paths come through buffers of MAX_PATH characters.
    shell.analysis.longestPathBytes = MAX_PATH - 1;
}
