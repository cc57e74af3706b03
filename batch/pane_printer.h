// The panes of one file as the command line prints them.
#pragma once

#include <string>

#include "report/pane_text_sink.h"
#include "core/thumbnail.h"

// All four panes under their titles, or one alone.
enum class PaneChoice { All, Jpeg, Thumbnail, Exif, Iptc };

// Line ends "\r\n" print as "\n"; red runs print red when color is set;
// the bytes are otherwise written as the core made them, but for a
// terminal, where control characters are replaced (AppendForTerminal).
void AppendPaneText(std::string& out, const PaneText& pane, bool color, bool terminal = false);
// The thumbnail pane: its size when a thumbnail was decoded, else its text.
void AppendThumbnailPane(std::string& out, const ThumbnailState& thumbnail);
void AppendPanes(std::string& out, const PaneTextSink& sink, const ThumbnailState& thumbnail, PaneChoice choice,
                 bool color, bool terminal = false);
