// The process entry: start-up, the message loop, shut-down.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/main_window_win32.h"
#include "app/process_resources_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    AppContext context;
    std::memset(&context, 0, sizeof context);
    context.instance = instance;
    ParseCommandLine(__argc, __argv, context.startPath);

    ProcessResources resources;
    std::memset(&resources, 0, sizeof resources);
    StartProcessResources(&context, &resources);
    RegisterMainWindowClass(instance);

    // WM_CREATE decodes a command-line file before the window is first shown.
    HWND window = CreateMainWindow(&context);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }

    // Without a window no quit message could ever arrive: skip the loop
    // rather than wait forever.
    int exitCode = 0;
    if (window != nullptr) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT) exitCode = static_cast<int>(message.wParam);
    }

    UnregisterMainWindowClass(instance);
    StopProcessResources(&context, &resources);
    return exitCode;
}
