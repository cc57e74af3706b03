// Report output into the panes' rich edits.
#pragma once

// Makes the shell's analysis start afresh with its report going to the rich
// edits of the main window's panes.
void InstallRichEditReportSink();
