// Prints the panes of the portable report backend to a stream.
#pragma once

#include <cstdio>

#include "cli/cli_options.h"
#include "report/pane_text_sink.h"
#include "thumbnail/thumbnail.h"

// Line ends "\r\n" print as "\n"; red runs print red when color is set;
// the bytes are otherwise written as the core made them.
void PrintPaneText(FILE* out, const PaneText& pane, bool color);
// The thumbnail pane: its size when a thumbnail was decoded, else its text.
void PrintThumbnailPane(FILE* out, const ThumbnailState& thumbnail);
void PrintPanes(FILE* out, const PaneTextSink& sink, const ThumbnailState& thumbnail, PaneChoice choice, bool color);
