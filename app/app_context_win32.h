// The record the entry hands to the main window at its creation.
#pragma once

#include <windows.h>

#include "app/command_line.h"

struct AppContext {
    HINSTANCE instance;
    HFONT paneFont;    // rich-edit panes and the thumbnail static
    HBRUSH dragBrush;  // 8 x 8 checkerboard that draws a dragged splitter
    HFONT tabFont;     // the tab strip
    char startPath[kStartPathSize];  // from the command line; empty when none
};
