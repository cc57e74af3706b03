// pixloupe-shot-driver: acts on a running pixloupe.exe the way its user
// would, for the screenshots of the documentation.
//   pixloupe-shot-driver split   double-click the shown pane's band header
//   pixloupe-shot-driver about   choose the about item of the system menu
//   pixloupe-shot-driver menu    right-click the tab strip
// Messages are posted: they carry no pointers, so they cross processes.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND FindVisibleChild(HWND parent, const char* className) {
    HWND found = nullptr;
    struct Search {
        const char* className;
        HWND* found;
    } search = {className, &found};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            Search* s = reinterpret_cast<Search*>(data);
            char name[64] = {};
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpA(name, s->className) == 0 && IsWindowVisible(child)) {
                *s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pixloupe-shot-driver split|about|menu\n");
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && window == nullptr; tries++) {
        window = FindWindowA("Pixloupe", nullptr);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "pixloupe-shot-driver: no Pixloupe window\n");
        return 1;
    }
    if (std::strcmp(argv[1], "split") == 0) {
        HWND band = FindVisibleChild(window, "ReBarWindow32");
        if (band == nullptr) return 1;
        PostMessageA(band, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
        return 0;
    }
    if (std::strcmp(argv[1], "about") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, 9, 0);
        return 0;
    }
    if (std::strcmp(argv[1], "menu") == 0) {
        HWND tabs = FindVisibleChild(window, "SysTabControl32");
        if (tabs == nullptr) return 1;
        RECT r;
        GetWindowRect(tabs, &r);
        PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tabs), MAKELPARAM(r.left + 60, r.top + 12));
        return 0;
    }
    std::fprintf(stderr, "pixloupe-shot-driver: unknown action %s\n", argv[1]);
    return 2;
}
