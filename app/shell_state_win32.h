// The state of the main window and its panes, at file scope from WM_CREATE
// to the end of the run. One window per process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/app_context_win32.h"
#include "app/split_geometry.h"
#include "app/track_size.h"
#include "core/analysis.h"
#include "report/report.h"

struct SplitterState {
    SplitPercents percents;
    SplitPositions positions;
    RECT dragClipRect;       // screen coordinates
    PixelRect paneRects[4];  // committed: what the split layout uses
    PixelRect trackRects[4]; // recomputed on every mouse message
    HRGN barRegion;          // bar of the last hit test, window coordinates
    HRGN scratchRegion;
    HRGN shownBarRegion;     // bar currently drawn inverted
    int cursorId;
    SplitHit dragCode;
    SplitPositions dragStartPositions;  // restored when a drag loses the mouse
};

struct ShellState {
    AppContext* appContext;
    HWND mainWindow;
    HWND tabControl;
    HWND statusBar;
    int statusBarHeight;
    HWND paneContainers[kPaneCount];
    HWND bandContainers[kPaneCount];
    HWND paneContents[kPaneCount];
    REBARBANDINFOA bandInfo[kPaneCount];
    bool tabbedMode;
    ReportPane selectedPane;
    TrackSize minTrackSize;
    SplitterState splitter;
    // The analysis of the open file: its report goes to the panes' rich
    // edits, and its thumbnail is the picture the thumbnail pane paints.
    Analysis analysis;
};

extern ShellState shell;

inline HWND PaneContent(ReportPane pane) { return shell.paneContents[static_cast<int>(pane)]; }
