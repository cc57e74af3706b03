// pixloupe-report: the report of JPEG files on standard output, made by the
// same core as the window's panes: the panes' text, or what is decoded as
// JSON, JSON Lines or CSV, for files named or found in folders, several
// at a time.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "cli/cli_options.h"
#include "cli/memory_reuse_posix.h"
#include "cli/record_output_posix.h"
#include "cli/run_watch_posix.h"
#include "cli/stdin_source_posix.h"
#include "cli/usable_cpus_posix.h"
#include "batch/terminal_text.h"
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
    FileReporter(bool decodeThumbnails, bool decodeForData) {
        // The data forms show no pane: their text is only counted.
        ResetAnalysis(analysis, decodeForData ? nullptr : &sink);
        analysis.decodeThumbnails = decodeThumbnails;
        analysis.decodeForData = decodeForData;
    }
};

struct RunSettings {
    const CliOptions& options;
    bool color;
    bool terminal;  // standard output is a terminal
};

// Standard input is read to its end, so that its size is known for the
// data forms (the panes, printed by then, keep what they show of a stream).
bool AnalyzeStandardInput(Analysis& analysis) {
    CountedInput input;
    OpenCountedInput(input);
    if (input.stream == nullptr) return AnalyzeStream(analysis, stdin, "-", SourceFacts{});
    const bool result = AnalyzeStream(analysis, input.stream, "-", SourceFacts{});
    if (DrainCountedInput(input)) {
        analysis.summary.fileLengthKnown = true;
        analysis.summary.fileLength = input.bytes;
    }
    CloseCountedInput(input);
    return result;
}

bool AnalyzeItem(FileReporter& reporter, const WalkItem& item) {
    reporter.sink.Clear();
    if (item.kind == WalkItemKind::Stdin) return AnalyzeStandardInput(reporter.analysis);
    return AnalyzeFile(reporter.analysis, item.path.c_str());
}

// Why a file named was not reported, when the file system can tell.
std::string RefusalReason(const WalkItem& item) {
    if (item.kind == WalkItemKind::Folder) return "is a folder";
    if (item.kind == WalkItemKind::Refused) return item.reason;
    if (item.kind == WalkItemKind::File && !QueryFileFacts(item.path.c_str()).exists) return "no such file";
    return std::string();
}

// The panes as the window shows them; a file refused by the file system is
// named on standard error only, as the window ignores it.
FileOutcome ReportPanes(FileReporter& reporter, const WalkItem& item, const RunSettings& settings) {
    FileOutcome outcome;
    const bool analysed = item.kind != WalkItemKind::Folder && item.kind != WalkItemKind::Refused;
    // A file that ends before its image data is decoded for the data forms
    // only: the panes show it as they always have, as not reported.
    outcome.ok = analysed && AnalyzeItem(reporter, item) && !reporter.analysis.endedEarly;
    const std::string refusal = outcome.ok ? std::string() : RefusalReason(item);
    if (!refusal.empty()) {
        outcome.ok = false;
        outcome.err = "pixloupe-report: " + item.path + ": " + refusal + "\n";
        return outcome;
    }
    AppendPanes(outcome.out, reporter.sink, reporter.analysis.thumbnail, settings.options.pane, settings.color,
                settings.terminal);
    return outcome;
}

// The JSON object or CSV row of the file: a refusal is an object or row
// with ok false.
FileOutcome ReportData(FileReporter& reporter, const WalkItem& item, const RunSettings& settings) {
    FileOutcome outcome;
    const bool csv = settings.options.form == OutputForm::Csv;
    const CsvStyle& style = settings.options.csv;
    if (item.kind == WalkItemKind::Folder || item.kind == WalkItemKind::Refused) {
        const bool folder = item.kind == WalkItemKind::Folder;
        const std::string reason = folder ? "is a folder" : item.reason;
        const char* code = folder ? "is-folder" : item.code;
        outcome.ok = false;
        csv ? AppendCsvFailure(outcome.out, item.path, reason, style)
            : AppendJsonFailure(outcome.out, item.path, reason, code);
    } else {
        outcome.ok = AnalyzeItem(reporter, item);
        if (csv) {
            AppendCsvRow(outcome.out, reporter.analysis, item.path, style);
        } else if (settings.options.flat) {
            AppendFlatJsonObject(outcome.out, reporter.analysis, item.path);
        } else {
            AppendJsonObject(outcome.out, reporter.analysis, item.path,
                             JsonOptions{settings.options.xmpPacket, settings.options.xmpGroups});
        }
    }
    return outcome;
}

unsigned JobCount(const CliOptions& options) { return options.jobs > 0 ? options.jobs : UsableCpuCount(); }

// The output could not be written: the run stops. A reader gone
// from a pipe is told too when SIGPIPE is ignored (as a shell's trap '' PIPE
// leaves it), for the run would otherwise go on for nobody.
[[noreturn]] void EndForFailedOutput(int error) {
    const std::string message = std::string("pixloupe-report: standard output: ") + std::strerror(error) + "\n";
    (void)WriteAll(STDERR_FILENO, message.data(), message.size());
    _exit(3);
}

// Counts the files of the walk ahead of the workers, by their names only,
// so that the progress line can give a total and the time left early.
class WalkCounter {
public:
    WalkCounter(const CliOptions& options, bool wanted) {
        if (!wanted || !options.filesFrom.empty()) return;
        thread_ = std::thread([this, &options] {
            FileWalk walk(options.files, options.recursive, options.extensions);
            walk.TellRefusedAsItems();
            WalkItem item;
            while (!stop_.load() && walk.Next(&item)) {
            }
            if (walk.Finished()) total_ = walk.Given();
        });
    }
    ~WalkCounter() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // The total once counted, else 0.
    size_t Total() const { return total_.load(); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<size_t> total_{0};
    std::thread thread_;
};

// Standard error is a terminal, outside CI, and the line was not turned off.
bool ShowsProgress(const CliOptions& options) {
    const char* ci = std::getenv("CI");
    return options.progress && isatty(STDERR_FILENO) != 0 && (ci == nullptr || ci[0] == '\0');
}

// The message as standard error takes it: control characters of a file
// name replaced when it is a terminal.
std::string ForStandardError(const std::string& message) {
    if (isatty(STDERR_FILENO) == 0) return message;
    std::string safe;
    AppendForTerminal(safe, message.data(), message.size());
    return safe;
}

// Prints everything in order; returns whether every file was reported.
// Ends the process when the output fails or a signal stops the run.
bool Run(const CliOptions& options, const RunSettings& settings, FILE* list) {
    FileWalk walk(options.files, options.recursive, options.extensions);
    walk.TellRefusedAsItems();
    if (list != nullptr) walk.AddNameList(list, options.nullSeparated ? '\0' : '\n');
    const bool progressShown = ShowsProgress(options);
    ProgressLine progress(stderr, progressShown);
    WalkCounter counter(options, progressShown);
    RecordOutput output(STDOUT_FILENO, settings.terminal, &progress);
    const OutputForm form = options.form;
    if (form == OutputForm::Csv) {
        std::string header = options.csvByteOrderMark ? kCsvByteOrderMark : "";
        AppendCsvHeader(header);
        output.Add("", header, "");
    }
    if (form == OutputForm::Json) output.Add("", "[", "");
    size_t emitted = 0;
    bool allOk = true;
    {
        RunWatch watch(output, form == OutputForm::Json ? "\n]\n" : "");
        RunInOrder(
            walk, JobCount(options),
            [&options] {
                // The panes show the thumbnail and the XMP packet as it
                // stands; the data needs only the thumbnail's size, and the
                // packet's properties.
                const bool panes = options.form == OutputForm::Panes;
                return std::unique_ptr<WorkerState>(new FileReporter(panes || options.checkThumbnails, !panes));
            },
            [&settings, form](WorkerState& worker, const WalkItem& item) {
                FileReporter& reporter = static_cast<FileReporter&>(worker);
                return form == OutputForm::Panes ? ReportPanes(reporter, item, settings)
                                                 : ReportData(reporter, item, settings);
            },
            [&](FileOutcome& outcome) {
                if (!outcome.ok) allOk = false;
                if (!outcome.err.empty()) output.Tell(ForStandardError(outcome.err));
                if (!outcome.out.empty()) {
                    const char* before = form == OutputForm::Json ? (emitted == 0 ? "\n" : ",\n") : "";
                    output.Add(before, outcome.out, form == OutputForm::JsonLines ? "\n" : "");
                    emitted++;
                }
                const size_t counted = counter.Total();
                output.ShowProgress(emitted, counted > 0 ? counted : walk.Finished() ? walk.Given() : 0);
            },
            // A failed write stops the run: the files taken are finished
            // (for nobody) and the workers joined before the process ends.
            [&output] { return output.Failure() != 0; });
    }
    if (output.Failure() != 0) EndForFailedOutput(output.Failure());
    if (form == OutputForm::Json) output.Add("", emitted == 0 ? "]\n" : "\n]\n", "");
    if (RunWatch::LateSignal() != 0) output.FinishEarly("");
    if (!output.Flush()) EndForFailedOutput(output.Failure());
    progress.Finish();
    if (RunWatch::LateSignal() != 0) _exit(128 + RunWatch::LateSignal());
    return allOk;
}

// Help and version text, checked like the reports.
int PrintText(const std::string& text) {
    const int error = WriteAll(STDOUT_FILENO, text.data(), text.size());
    if (error != 0) EndForFailedOutput(error);
    return 0;
}

// The list of --files-from, or nullptr with the reason told.
FILE* OpenNameList(const std::string& name) {
    if (name == "-") return stdin;
    FILE* list = std::fopen(name.c_str(), "rb");
    if (list == nullptr) {
        std::fprintf(stderr, "pixloupe-report: --files-from %s: %s\n", name.c_str(), std::strerror(errno));
    }
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "pixloupe-report: %s\n%s", error.c_str(), CliHelpText().c_str());
        return 2;
    }
    if (options.showHelp) return PrintText(CliHelpText());
    if (options.showVersion) return PrintText(std::string(kVersion) + "\n");
    FILE* list = nullptr;
    if (!options.filesFrom.empty() && (list = OpenNameList(options.filesFrom)) == nullptr) return 2;
    const bool stdoutIsTerminal = isatty(STDOUT_FILENO) != 0;
    const bool color = options.form == OutputForm::Panes &&
                       ResolveColor(options.color, stdoutIsTerminal, std::getenv("NO_COLOR"));
    const RunSettings settings{options, color, stdoutIsTerminal};
    const bool allOk = Run(options, settings, list);
    // A file system may tell of a failed write only when the file is closed.
    if (close(STDOUT_FILENO) != 0 && errno != EBADF && errno != EINTR) EndForFailedOutput(errno);
    return allOk ? 0 : 1;
}
