// The two commands (Open, About), the menus that offer them, and the three
// ways a path reaches the decoder: dialog, drop, command line.
#pragma once

#include <windows.h>

constexpr UINT kCmdOpen = 1034;
constexpr UINT kCmdAbout = 9;

// Puts Open, a separator, About and a separator at the top of the system menu.
void AddSystemMenuItems(HWND mainWindow);
void OnContextMenu(HWND mainWindow, WPARAM wParam, LPARAM lParam);
void OnCommand(HWND mainWindow, WPARAM wParam);
// True when the system-menu command was one of ours.
bool OnSysCommand(HWND mainWindow, WPARAM wParam);
void OnDropFiles(HDROP drop);

// Refuses missing paths and folders silently; otherwise clears the panes,
// shows the path in the status bar and decodes the file.
void OpenPath(const char* path);
void ClearPanes();
