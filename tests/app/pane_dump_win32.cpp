// pixloupe-pane-dump: opens each listed file in the real main window, the
// way a drop does, and writes what the window shows, pane by pane, so that a
// script can set it beside the command line's report.
//   pixloupe-pane-dump OUTPUT_FOLDER LIST_FILE
// LIST_FILE holds one path a line. For line n (from 0) the files
// n.jpeg, n.exif and n.iptc get the text of the three text panes, and
// n.thumbnail the thumbnail pane as the command line words it.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window_win32.h"
#include "app/process_resources_win32.h"
#include "app/shell_state_win32.h"
#include "thumbnail/thumbnail_win32.h"

namespace {

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// WM_GETTEXT gives every paragraph end as CR LF. The control turns a CR, an
// LF or a CR LF it is given into one paragraph end, so they all come out as
// one LF here; the script treats the command line's text alike.
std::string PaneText(HWND edit) {
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    // The length counts characters; a Japanese one takes two bytes.
    std::string text(static_cast<size_t>(length) * 2 + 2, '\0');
    LRESULT got = SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else {
            lines += text[i];
        }
    }
    return lines;
}

std::string ThumbnailText() {
    HBITMAP bitmap = ThumbnailBitmap(shell.analysis.thumbnail);
    BITMAP facts;
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof facts, &facts) == 0) return "Image contains no thumbnail\n";
    return "Thumbnail: " + std::to_string(facts.bmWidth) + " x " + std::to_string(facts.bmHeight) + "\n";
}

bool WriteFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

HDROP DropOf(const std::string& path) {
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + path.size() + 2);
    if (memory == nullptr) return nullptr;
    char* base = static_cast<char*>(GlobalLock(memory));
    reinterpret_cast<DROPFILES*>(base)->pFiles = sizeof(DROPFILES);
    std::memcpy(base + sizeof(DROPFILES), path.c_str(), path.size() + 1);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pixloupe-pane-dump OUTPUT_FOLDER LIST_FILE\n");
        return 2;
    }
    const std::string output = argv[1];
    std::ifstream list(argv[2], std::ios::binary);
    if (!list) {
        std::fprintf(stderr, "pixloupe-pane-dump: cannot read %s\n", argv[2]);
        return 2;
    }
    AppContext context;
    std::memset(&context, 0, sizeof context);
    context.instance = GetModuleHandleA(nullptr);
    ProcessResources resources;
    std::memset(&resources, 0, sizeof resources);
    StartProcessResources(&context, &resources);
    RegisterMainWindowClass(context.instance);
    HWND window = CreateMainWindow(&context);
    if (window == nullptr) {
        std::fprintf(stderr, "pixloupe-pane-dump: no window\n");
        return 1;
    }
    // Never shown: the texts need no screen, and a hidden window cannot
    // cover the windows of tests that read the screen at the same time.
    PumpMessages();

    int status = 0;
    std::string path;
    for (int n = 0; std::getline(list, path); n++) {
        if (!path.empty() && path.back() == '\r') path.pop_back();
        SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(path)), 0);
        PumpMessages();
        const std::string base = output + "\\" + std::to_string(n);
        bool ok = WriteFile(base + ".jpeg", PaneText(PaneContent(ReportPane::Jpeg))) &&
                  WriteFile(base + ".exif", PaneText(PaneContent(ReportPane::Exif))) &&
                  WriteFile(base + ".iptc", PaneText(PaneContent(ReportPane::IptcXmp))) &&
                  WriteFile(base + ".thumbnail", ThumbnailText());
        if (!ok) {
            std::fprintf(stderr, "pixloupe-pane-dump: cannot write %s.*\n", base.c_str());
            status = 1;
        }
    }
    SendMessageA(window, WM_CLOSE, 0, 0);
    PumpMessages();
    UnregisterMainWindowClass(context.instance);
    StopProcessResources(&context, &resources);
    return status;
}
