// The objects that live for the whole run, around the main window: common
// controls, the rich-edit library, GDI+, the drag brush and the two fonts.
#pragma once

#include <windows.h>

#include "app/app_context_win32.h"

struct ProcessResources {
    HMODULE richEditLibrary;
    ULONG_PTR gdiplusToken;
};

// Start-up steps 2 to 6: fills the brush and fonts of context.
void StartProcessResources(AppContext* context, ProcessResources* resources);
// Shut-down after the class is unregistered; releases only what was made.
void StopProcessResources(AppContext* context, ProcessResources* resources);
