// The two layouts of the panes: one at a time under the tabs, or all four
// in a 2 x 2 grid with splitters.
#pragma once

#include <windows.h>

#include "report/report.h"

// Puts the four panes into the layout that shell.tabbedMode names.
void ApplyLayout(HWND mainWindow);
// A double-click on the band header of pane: switches the layout; leaving
// split mode shows that pane under its tab.
void ToggleLayout(ReportPane pane);
// TCN_SELCHANGE from the tab strip: shows the chosen pane (tabbed mode only).
void OnTabSelectionChange();
