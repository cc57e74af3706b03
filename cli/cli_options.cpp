#include "cli/cli_options.h"

#include <cstring>

namespace {

bool ParsePane(const std::string& value, PaneChoice* pane) {
    static const struct { const char* name; PaneChoice pane; } kPanes[] = {
        {"all", PaneChoice::All}, {"jpeg", PaneChoice::Jpeg}, {"thumbnail", PaneChoice::Thumbnail},
        {"exif", PaneChoice::Exif}, {"iptc", PaneChoice::Iptc},
    };
    for (const auto& entry : kPanes) {
        if (value == entry.name) {
            *pane = entry.pane;
            return true;
        }
    }
    return false;
}

bool ParseColor(const std::string& value, ColorChoice* color) {
    if (value == "auto") *color = ColorChoice::Auto;
    else if (value == "always") *color = ColorChoice::Always;
    else if (value == "never") *color = ColorChoice::Never;
    else return false;
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

bool ResolveColor(ColorChoice choice, bool stdoutIsTerminal, const char* noColorValue) {
    if (choice == ColorChoice::Always) return true;
    if (choice == ColorChoice::Never) return false;
    if (noColorValue != nullptr && noColorValue[0] != '\0') return false;
    return stdoutIsTerminal;
}

bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options->files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options->showHelp = true;
        } else if (arg == "--version") {
            options->showVersion = true;
        } else if (StartsWith(arg, "--pane=")) {
            if (!ParsePane(arg.substr(7), &options->pane)) {
                *error = "unknown pane '" + arg.substr(7) + "' (jpeg, thumbnail, exif, iptc or all)";
                return false;
            }
        } else if (StartsWith(arg, "--color=")) {
            if (!ParseColor(arg.substr(8), &options->color)) {
                *error = "unknown colour mode '" + arg.substr(8) + "' (auto, always or never)";
                return false;
            }
        } else {
            *error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options->files.empty() && !options->showHelp && !options->showVersion) {
        *error = "no file named";
        return false;
    }
    return true;
}
