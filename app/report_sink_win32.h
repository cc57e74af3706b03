// Report output into the panes' rich edits.
#pragma once

// Sends report text to the rich edits of the main window's panes from now on.
void InstallRichEditReportSink();
