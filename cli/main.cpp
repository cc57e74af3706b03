// pixloupe-report: the report of JPEG files on standard output, made by the
// same core as the window's panes: the panes' text, or what is decoded as
// JSON, JSON Lines or CSV, for files named or found in folders, several
// at a time.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "cli/cli_options.h"
#include "batch/file_walk.h"
#include "batch/ordered_runner.h"
#include "batch/pane_printer.h"
#include "batch/progress.h"
#include "export/csv_row.h"
#include "export/json_object.h"
#include "analyze/analyze_file.h"
#include "core/file_facts.h"
#include "report/pane_text_sink.h"

namespace {

const char kVersion[] = "pixloupe-report 2.1.2012.1002";

// One worker's analysis, reused from file to file.
struct FileReporter : WorkerState {
    PaneTextSink sink;
    Analysis analysis;
    explicit FileReporter(bool decodeThumbnails) {
        ResetAnalysis(analysis, &sink);
        analysis.decodeThumbnails = decodeThumbnails;
    }
};

struct RunSettings {
    const CliOptions& options;
    bool color;
};

bool AnalyzeItem(FileReporter& reporter, const WalkItem& item) {
    reporter.sink.Clear();
    if (item.kind == WalkItemKind::Stdin) {
        // Nothing is known of standard input but its bytes.
        return AnalyzeStream(reporter.analysis, stdin, "-", SourceFacts{});
    }
    return AnalyzeFile(reporter.analysis, item.path.c_str());
}

// Why a file named was not reported, when the file system can tell.
std::string RefusalReason(const WalkItem& item) {
    if (item.kind == WalkItemKind::Folder) return "is a folder";
    if (item.kind == WalkItemKind::File && !QueryFileFacts(item.path.c_str()).exists) return "no such file";
    return std::string();
}

// The panes as the window shows them; a file refused by the file system is
// named on standard error only, as the window ignores it.
FileOutcome ReportPanes(FileReporter& reporter, const WalkItem& item, const RunSettings& settings) {
    FileOutcome outcome;
    outcome.ok = item.kind != WalkItemKind::Folder && AnalyzeItem(reporter, item);
    const std::string refusal = outcome.ok ? std::string() : RefusalReason(item);
    if (!refusal.empty()) {
        outcome.ok = false;
        outcome.err = "pixloupe-report: " + item.path + ": " + refusal + "\n";
        return outcome;
    }
    AppendPanes(outcome.out, reporter.sink, reporter.analysis.thumbnail, settings.options.pane, settings.color);
    return outcome;
}

// The JSON object or CSV row of the file: a refusal is an object or row
// with ok false.
FileOutcome ReportData(FileReporter& reporter, const WalkItem& item, const RunSettings& settings) {
    FileOutcome outcome;
    const bool csv = settings.options.form == OutputForm::Csv;
    if (item.kind == WalkItemKind::Folder) {
        outcome.ok = false;
        csv ? AppendCsvFailure(outcome.out, item.path) : AppendJsonFailure(outcome.out, item.path, "is a folder");
    } else {
        outcome.ok = AnalyzeItem(reporter, item);
        if (csv) {
            AppendCsvRow(outcome.out, reporter.analysis, item.path);
        } else if (settings.options.flat) {
            AppendFlatJsonObject(outcome.out, reporter.analysis, item.path);
        } else {
            AppendJsonObject(outcome.out, reporter.analysis, item.path);
        }
    }
    return outcome;
}

unsigned JobCount(const CliOptions& options) {
    if (options.jobs > 0) return options.jobs;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Standard error is a terminal, outside CI, and the line was not turned off.
bool ShowsProgress(const CliOptions& options) {
    const char* ci = std::getenv("CI");
    return options.progress && isatty(STDERR_FILENO) != 0 && (ci == nullptr || ci[0] == '\0');
}

// Prints everything in order; returns whether every file was reported.
bool Run(const CliOptions& options, bool color) {
    const RunSettings settings{options, color};
    FileWalk walk(options.files, options.recursive, options.extensions);
    ProgressLine progress(stderr, ShowsProgress(options));
    const OutputForm form = options.form;
    if (form == OutputForm::Csv) {
        std::string header;
        AppendCsvHeader(header);
        std::fputs(header.c_str(), stdout);
    }
    if (form == OutputForm::Json) std::fputs("[", stdout);
    size_t emitted = 0;
    bool allOk = true;
    RunInOrder(
        walk, JobCount(options), [&options] {
            // The panes show the thumbnail; the data needs only its size.
            const bool decode = options.form == OutputForm::Panes || options.checkThumbnails;
            return std::unique_ptr<WorkerState>(new FileReporter(decode));
        },
        [&settings, form](WorkerState& worker, const WalkItem& item) {
            FileReporter& reporter = static_cast<FileReporter&>(worker);
            return form == OutputForm::Panes ? ReportPanes(reporter, item, settings)
                                             : ReportData(reporter, item, settings);
        },
        [&](FileOutcome& outcome) {
            if (!outcome.ok) allOk = false;
            if (!outcome.err.empty()) {
                progress.Finish();
                std::fflush(stdout);
                std::fputs(outcome.err.c_str(), stderr);
            }
            if (!outcome.out.empty()) {
                if (form == OutputForm::Json) std::fputs(emitted == 0 ? "\n" : ",\n", stdout);
                std::fwrite(outcome.out.data(), 1, outcome.out.size(), stdout);
                if (form == OutputForm::JsonLines) std::fputc('\n', stdout);
                emitted++;
            }
            progress.Update(emitted, walk.Finished() ? walk.Given() : 0);
        });
    if (form == OutputForm::Json) std::fputs(emitted == 0 ? "]\n" : "\n]\n", stdout);
    progress.Finish();
    return allOk;
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
        std::fprintf(stderr, "pixloupe-report: %s\n%s", error.c_str(), CliHelpText().c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(CliHelpText().c_str(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::puts(kVersion);
        return 0;
    }
    const bool color = options.form == OutputForm::Panes &&
                       ResolveColor(options.color, stdoutIsTerminal, std::getenv("NO_COLOR"));
    const bool allOk = Run(options, color);
    std::fflush(stdout);
    return allOk ? 0 : 1;
}
