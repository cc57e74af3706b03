// The main window: its class, its creation and the one window procedure
// that serves it and, by sub-classing, the four band containers.
#pragma once

#include <windows.h>

#include "app/app_context_win32.h"

ATOM RegisterMainWindowClass(HINSTANCE instance);
void UnregisterMainWindowClass(HINSTANCE instance);

// Creates the main window; WM_CREATE builds the panes and opens
// context->startPath when it is set. The window is not shown yet.
HWND CreateMainWindow(AppContext* context);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
