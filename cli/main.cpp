// pixloupe-report: the report of one or more JPEG files on standard output,
// made by the same core as the window's panes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_options.h"
#include "cli/pane_printer.h"
#include "jpeg/analyze_file.h"
#include "jpeg/file_facts.h"
#include "report/pane_text_sink.h"
#include "report/report.h"

namespace {

const char kUsage[] =
    "usage: pixloupe-report [--pane=jpeg|thumbnail|exif|iptc|all] [--color=auto|always|never] FILE...\n"
    "\n"
    "Shows what a JPEG photograph carries: the summary (jpeg), the EXIF thumbnail's size\n"
    "(thumbnail), every EXIF and GPS entry with the map of the EXIF block (exif), and the\n"
    "Photoshop resources, IPTC datasets and XMP packet (iptc). --pane=all, the default,\n"
    "prints the four panes under their titles; a single pane prints its text alone.\n"
    "Error lines are red when colour is on (auto: on a terminal, unless NO_COLOR is set).\n"
    "\n"
    "Exit status: 0 when every file was reported, 1 when a file was missing, a folder,\n"
    "unreadable or not a JPEG, 2 for bad usage.\n";

// One file, as the window handles a dropped one: refused silently there,
// named on stderr here; otherwise panes cleared, analysed, printed. The
// path is looked at only when the analysis refused it, which spares the
// common case a second query of the file system.
bool ReportOneFile(const std::string& path, const CliOptions& options, bool color, PaneTextSink& sink,
                   Analysis& analysis) {
    sink.Clear();
    bool reported = AnalyzeFile(analysis, path.c_str()) == 1;
    if (!reported) {
        FileFacts facts = QueryFileFacts(path.c_str());
        if (!facts.exists) {
            std::fprintf(stderr, "pixloupe-report: %s: no such file\n", path.c_str());
            return false;
        }
        if (facts.isFolder) {
            std::fprintf(stderr, "pixloupe-report: %s: is a folder\n", path.c_str());
            return false;
        }
    }
    PrintPanes(stdout, sink, analysis.thumbnail, options.pane, color);
    return reported;
}

}  // namespace

int main(int argc, char** argv) {
    // A file or a pipe takes the report in large blocks; a terminal keeps
    // its line buffering so each line shows as it is written.
    static char outputBuffer[1 << 16];
    const bool stdoutIsTerminal = isatty(STDOUT_FILENO) != 0;
    if (!stdoutIsTerminal) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "pixloupe-report: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.showHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.showVersion) {
        std::puts("pixloupe-report 2.1.2012.1002");
        return 0;
    }
    PaneTextSink sink;
    Analysis analysis;
    ResetAnalysis(analysis, &sink);
    bool color = ResolveColor(options.color, stdoutIsTerminal, std::getenv("NO_COLOR"));
    bool allReported = true;
    for (const std::string& path : options.files) {
        if (!ReportOneFile(path, options, color, sink, analysis)) allReported = false;
    }
    std::fflush(stdout);
    return allReported ? 0 : 1;
}
