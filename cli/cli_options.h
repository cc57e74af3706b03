// The command line of pixloupe-report.
#pragma once

#include <string>
#include <vector>

#include "batch/file_walk.h"
#include "batch/pane_printer.h"
#include "export/csv_row.h"

enum class ColorChoice { Auto, Always, Never };
// The panes' text, one JSON array, JSON Lines, or CSV rows.
enum class OutputForm { Panes, Json, JsonLines, Csv };

struct CliOptions {
    PaneChoice pane = PaneChoice::All;
    ColorChoice color = ColorChoice::Auto;
    OutputForm form = OutputForm::Panes;
    bool recursive = false;
    // The endings of the file names a folder walk takes, without the dot,
    // matched in any case.
    std::vector<std::string> extensions = DefaultWalkExtensions();
    unsigned jobs = 0;  // 0: one per CPU this process may run on
    // A file of names to take after the FILE arguments ("-": standard
    // input), one a line, or ended by NUL bytes with nullSeparated.
    std::string filesFrom;
    bool nullSeparated = false;
    CsvStyle csv;
    bool csvByteOrderMark = false;
    bool progress = true;
    bool flat = false;             // JSON objects of SourceFile, ok and the Summary's keys only
    bool checkThumbnails = false;  // decode every thumbnail in the data forms too
    bool showHelp = false;
    bool showVersion = false;
    std::vector<std::string> files;
};

// Whether red runs print red: always, never, or (auto) only on a terminal
// and only while NO_COLOR is unset or empty.
bool ResolveColor(ColorChoice choice, bool stdoutIsTerminal, const char* noColorValue);

// Returns true when the arguments are well formed; otherwise error says why.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);

// The usage and option list, with the exit statuses.
std::string CliHelpText();
