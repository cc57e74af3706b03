// The options of pixloupe-report, parsed with CLI11.
#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>

namespace {

const char kDescription[] =
    "Shows what JPEG photographs carry: the summary (jpeg), the EXIF thumbnail's size\n"
    "(thumbnail), every EXIF and GPS entry with the map of the EXIF block (exif), and the\n"
    "Photoshop resources, IPTC datasets and XMP packet (iptc). --pane=all, the default,\n"
    "prints the four panes under their titles; a single pane prints its text alone.\n"
    "Error lines are red when colour is on (auto: on a terminal, unless NO_COLOR is set).\n"
    "--json, --jsonl and --csv print what is decoded as data instead, one object or row\n"
    "per file, in the order the files are named or found. FILE - reads standard input.";

const char kFooter[] =
    "Exit status: 0 when every file was reported, 1 when a file was missing, a folder\n"
    "(without -r), unreadable or not a JPEG, or a folder could not be read, 2 for bad usage,\n"
    "3 when the output could not be written, 130 or 143 when stopped by SIGINT or SIGTERM.";

// The options, bound to where their values go.
struct OptionValues {
    std::string pane = "all";
    std::string color = "auto";
    bool json = false;
    bool jsonLines = false;
    bool csv = false;
    bool noProgress = false;
    std::vector<std::string> extensions;
    bool extensionsGiven = false;
};

void DefineOptions(CLI::App& app, OptionValues& values, CliOptions& options) {
    app.set_help_flag("-h,--help", "Print this help and exit");
    app.add_flag("--version", options.showVersion, "Print the version and exit");
    app.add_option("--pane", values.pane, "The pane to print: jpeg, thumbnail, exif, iptc or all")
        ->check(CLI::IsMember({"all", "jpeg", "thumbnail", "exif", "iptc"}));
    app.add_option("--color", values.color, "Red error lines: auto, always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}));
    CLI::Option* json = app.add_flag("--json", values.json, "Print one JSON array, an object per file");
    CLI::Option* jsonLines = app.add_flag("--jsonl", values.jsonLines, "Print a JSON object per file, one a line");
    CLI::Option* csv = app.add_flag("--csv", values.csv, "Print a CSV header, then a row per file");
    CLI::Option* flat = app.add_flag("--flat", options.flat,
                                      "JSON objects of SourceFile, ok and the Summary's keys alone (implies --jsonl "
                                      "unless --json is given)");
    app.add_flag("--check-thumbnails", options.checkThumbnails,
                 "Decode every EXIF thumbnail in the data forms too, and say when one does not decode");
    json->excludes(jsonLines)->excludes(csv);
    flat->excludes(csv);
    jsonLines->excludes(csv);
    app.add_flag("--xmp-packet", options.xmpPacket, "With --json or --jsonl: the XMP packet too, without its padding");
    app.add_flag("--xmp-groups", options.xmpGroups, "With --json or --jsonl: XMP keys as XMP-prefix:Name");
    app.add_flag("-r,--recursive", options.recursive, "Walk the folders named, taking the JPEG files in them");
    // One argument an occurrence, split at commas: the files that follow are not endings.
    app.add_option("--ext", values.extensions, "The file name endings a walk takes (default: JPEG's, TIFF's, DNG's, the RAW formats', HEIF's, "
                                   "AVIF's, CR3's, PNG's and WebP's)")
        ->delimiter(',')
        ->allow_extra_args(false);
    app.add_option("-j,--jobs", options.jobs, "Files analysed at once (default: one per CPU this process may use)")
        ->check(CLI::Range(1, 4096));
    app.add_option("--files-from", options.filesFrom, "Also take the files named in this file, one a line (- reads standard input)");
    app.add_flag("--null", options.nullSeparated, "The names of --files-from end with a NUL byte, not a line end");
    app.add_flag("--csv-raw", options.csv.raw, "Write CSV text as it is, formula-like cells included");
    app.add_flag("--csv-bom", options.csvByteOrderMark, "Begin the CSV with a UTF-8 byte-order mark");
    app.add_flag("--no-progress", values.noProgress, "No progress line on a terminal");
    app.add_option("FILE", options.files, "JPEG files and, with -r, folders");
    app.footer(kFooter);
}

// An ending of a file name: letters, digits and - _ +, so that a pattern
// such as * (taken by nothing) is told as a mistake.
bool IsEnding(const std::string& ending) {
    return !ending.empty() && std::all_of(ending.begin(), ending.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '-' || c == '_' || c == '+';
    });
}

// The endings of --ext without blanks, their dot and case; false, with
// why, when the list is empty or an ending is not one.
bool ParseExtensions(const std::vector<std::string>& given, std::vector<std::string>* endings, std::string* error) {
    endings->clear();
    for (std::string ending : given) {
        ending.erase(0, ending.find_first_not_of(" \t"));
        ending.erase(ending.find_last_not_of(" \t") + 1);
        ending.erase(0, ending.find_first_not_of('.'));
        std::transform(ending.begin(), ending.end(), ending.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!IsEnding(ending)) {
            *error = "--ext: '" + ending + "' is not a file name ending (letters, digits, - _ +)";
            return false;
        }
        endings->push_back(ending);
    }
    if (endings->empty()) {
        *error = "--ext: no ending given";
        return false;
    }
    return true;
}

bool ApplyValues(const OptionValues& values, CliOptions* options, std::string* error) {
    static const std::map<std::string, PaneChoice> kPanes = {
        {"all", PaneChoice::All}, {"jpeg", PaneChoice::Jpeg}, {"thumbnail", PaneChoice::Thumbnail},
        {"exif", PaneChoice::Exif}, {"iptc", PaneChoice::Iptc}};
    static const std::map<std::string, ColorChoice> kColors = {
        {"auto", ColorChoice::Auto}, {"always", ColorChoice::Always}, {"never", ColorChoice::Never}};
    options->pane = kPanes.at(values.pane);
    options->color = kColors.at(values.color);
    if (values.json) options->form = OutputForm::Json;
    if (values.jsonLines) options->form = OutputForm::JsonLines;
    if (values.csv) options->form = OutputForm::Csv;
    if (options->flat && options->form == OutputForm::Panes) options->form = OutputForm::JsonLines;
    options->progress = !values.noProgress;
    if (values.extensionsGiven) {
        if (!ParseExtensions(values.extensions, &options->extensions, error)) return false;
    }
    if (options->files.empty() && options->filesFrom.empty() && !options->showHelp && !options->showVersion) {
        *error = "no file named";
        return false;
    }
    if (options->filesFrom == "-" && std::find(options->files.begin(), options->files.end(), "-") != options->files.end()) {
        *error = "standard input cannot be both a file (-) and the list of files (--files-from -)";
        return false;
    }
    return true;
}

}  // namespace

bool ResolveColor(ColorChoice choice, bool stdoutIsTerminal, const char* noColorValue) {
    if (choice == ColorChoice::Always) return true;
    if (choice == ColorChoice::Never) return false;
    if (noColorValue != nullptr && noColorValue[0] != '\0') return false;
    return stdoutIsTerminal;
}

bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error) {
    CLI::App app(kDescription, "pixloupe-report");
    OptionValues values;
    DefineOptions(app, values, *options);
    try {
        app.parse(argc, argv);
        values.extensionsGiven = app.count("--ext") > 0;
    } catch (const CLI::CallForHelp&) {
        options->showHelp = true;
        return true;
    } catch (const CLI::ParseError& failure) {
        *error = failure.what();
        return false;
    }
    return ApplyValues(values, options, error);
}

std::string CliHelpText() {
    CLI::App app(kDescription, "pixloupe-report");
    OptionValues values;
    CliOptions options;
    DefineOptions(app, values, options);
    return app.help();
}
