// The command line of pixloupe-report.
#pragma once

#include <string>
#include <vector>

enum class PaneChoice { All, Jpeg, Thumbnail, Exif, Iptc };
enum class ColorChoice { Auto, Always, Never };

struct CliOptions {
    PaneChoice pane = PaneChoice::All;
    ColorChoice color = ColorChoice::Auto;
    bool showHelp = false;
    bool showVersion = false;
    std::vector<std::string> files;
};

// Whether red runs print red: always, never, or (auto) only on a terminal
// and only while NO_COLOR is unset or empty.
bool ResolveColor(ColorChoice choice, bool stdoutIsTerminal, const char* noColorValue);

// Returns true when the arguments are well formed; otherwise error says why.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);
