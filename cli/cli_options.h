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

// Returns true when the arguments are well formed; otherwise error says why.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);
