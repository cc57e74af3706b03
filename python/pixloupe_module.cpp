// _pixloupe: the core for Python. Every call analyses with the interpreter
// lock released, so Python threads analyse files in parallel; the Python
// package (pixloupe/__init__.py) turns what these functions return into
// dicts and exceptions.
#include <pybind11/pybind11.h>
// After pybind11, which brings Python.h, which marshal.h needs first.
#include <marshal.h>
#include <pybind11/stl.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analyze/analyze_file.h"
#include "batch/file_walk.h"
#include "batch/pane_printer.h"
#include "core/file_facts.h"
#include "export/csv_row.h"
#include "export/json_object.h"
#include "export/utf8_text.h"
#include "facts/fact_table.h"
#include "python/deadline_stream.h"
#include "python/marshal_writer.h"
#include "report/pane_text_sink.h"
#include "report/report.h"

namespace py = pybind11;

namespace {

// What became of a path: analysed (ok or not), or refused by the file
// system before any analysis, which Python raises as an exception.
enum PathState { kNotOk = 0, kOk = 1, kMissing = 2, kFolder = 3 };

// One thread's analysis, reused from call to call like a command line
// worker's: the kept memory is not allocated again for every file. Each
// thread has its own, so calls on different threads share nothing.
struct ThreadAnalysis {
    PaneTextSink sink;
    Analysis analysis;
    ThreadAnalysis() { ResetAnalysis(analysis, &sink); }
};

// forPanes: the thumbnail pane shows the decoded picture's size; the data
// takes the size from the thumbnail's frame header without decoding it.
ThreadAnalysis& ThisThreadsAnalysis(bool forPanes = false) {
    thread_local ThreadAnalysis state;
    state.sink.Clear();
    state.analysis.decodeThumbnails = forPanes;
    state.analysis.decodeForData = !forPanes;
    // The data shows no pane: its text is only counted.
    state.analysis.report.sink = forPanes ? &state.sink : nullptr;
    return state;
}

// The state of a path whose analysis failed: was it there at all?
int StateAfterFailure(const std::string& path) {
    const FileFacts facts = QueryFileFacts(path.c_str());
    if (!facts.exists) return kMissing;
    return facts.isFolder ? kFolder : kNotOk;
}

py::object Steal(PyObject* made) {
    if (made == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(made);
}

// One path's analysis: its state, and whether the time limit cut it short.
struct Outcome {
    int state = kNotOk;
    bool timedOut = false;
    double limit = 0;
};

// A FIFO, terminal or device is read as a stream (as pixloupe-report reads
// standard input: nothing is known of it but its bytes) through a reader
// that gives up at the time limit; a FIFO no one writes to would block
// the thread, and with it a cluster's worker, for ever. Regular files take
// the command line's own path: their reads cannot wait on anyone.
bool AnalyzeSpecialFile(Analysis& analysis, const std::string& path, Outcome& outcome) {
    DeadlineStream file;
    OpenDeadlineStream(file, path.c_str(), outcome.limit);
    if (file.stream == nullptr) return AnalyzeFile(analysis, path.c_str());  // says why it cannot be opened
    bool result = AnalyzeStream(analysis, file.stream, path.c_str(), SourceFacts{});
    CloseDeadlineStream(file);
    if (file.timedOut) {
        outcome.timedOut = true;
        analysis.reachedSummary = false;
        ReportErrorLine(analysis.report, "Timed out: no end of data within %g s\r\n", outcome.limit);
        result = false;
    }
    return result;
}

// Analyses the file at path on this thread's analysis, within limit
// seconds when it is not a regular file. Called with the lock released.
Outcome AnalyzePath(ThreadAnalysis& thread, const std::string& path, double limit) {
    Outcome outcome;
    outcome.limit = limit;
    const bool ok = IsSpecialFile(path.c_str()) ? AnalyzeSpecialFile(thread.analysis, path, outcome)
                                                : AnalyzeFile(thread.analysis, path.c_str());
    outcome.state = ok ? kOk : StateAfterFailure(path);
    return outcome;
}

// Why a file met the time limit, for its record.
std::string TimeoutReason(double limit) { return FormatText("Timed out: no end of data within %g s", limit); }

// The object without the EXIF entries, Photoshop resources, IPTC datasets
// and XMP packet: what a table of an archive needs, a twentieth the size.
void AppendSummaryOnly(std::string& out, const std::string& full) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(full.data(), full.size());
    for (const char* detail : {"EXIF", "Photoshop", "IPTC", "XMP"}) document.RemoveMember(detail);
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> json(buffer);
    document.Accept(json);
    out.append(buffer.GetString(), buffer.GetSize());
}

// Appends the object of the analysed path, as pixloupe-report --jsonl
// prints it, unless the path was refused.
void AppendOutcomeJson(std::string& out, const Analysis& analysis, const std::string& path, const Outcome& outcome,
                       bool summaryOnly = false) {
    if (outcome.state != kOk && outcome.state != kNotOk) return;
    if (outcome.timedOut) {
        // ok false, and a message whose code tells it from a file that is not a JPEG.
        AppendJsonFailure(out, path, TimeoutReason(outcome.limit), "timeout");
    } else if (summaryOnly) {
        thread_local std::string full;
        full.clear();
        AppendJsonObject(full, analysis, path);
        AppendSummaryOnly(out, full);
    } else {
        AppendJsonObject(out, analysis, path);
    }
}

// The Python object of marshal data made without the lock: one pass of
// the interpreter's own reader, which shares the strings that repeat.
py::object FromMarshal(const std::string& data) {
    return Steal(PyMarshal_ReadObjectFromString(data.data(), static_cast<Py_ssize_t>(data.size())));
}

// The marshal form of an object's JSON text, which it spends, made
// without the lock.
void MarshalOfJson(std::string& data, std::string& text) {
    data.clear();
    if (!AppendMarshalOfJson(data, text)) data.clear();
}

// The object of one file as the line pixloupe-report --jsonl prints, and
// the state of the path; the lock is held only to make the str.
std::pair<py::object, int> AnalyzeFileJson(const std::string& path, double limit) {
    std::string text;
    Outcome outcome;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        outcome = AnalyzePath(thread, path, limit);
        AppendOutcomeJson(text, thread.analysis, path, outcome);
    }
    return {Steal(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict")), outcome.state};
}

// The object of one file as pixloupe-report --json prints it, as a dict
// (None when the path was refused), and the state of the path. The dict
// is read from marshal data: the lock is held only while the interpreter
// makes the objects, a third of the time it took to build them one by one.
std::pair<py::object, int> AnalyzeFileObject(const std::string& path, double limit) {
    thread_local std::string text, data;
    Outcome outcome;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        outcome = AnalyzePath(thread, path, limit);
        text.clear();
        AppendOutcomeJson(text, thread.analysis, path, outcome);
        MarshalOfJson(data, text);
    }
    return {data.empty() ? py::none() : FromMarshal(data), outcome.state};
}

// The bytes of any object with the buffer protocol, in C order: the
// object's own memory when it is contiguous, otherwise a contiguous copy
// made by Python. A view with a step or a negative stride (a[::2], a[::-1])
// does not lie in memory as one run of bytes: reading its start and length
// alone would read other bytes, or past the end of its memory. Holding the
// buffer keeps it exported while the lock is released, so a bytearray
// cannot be resized under the analysis.
class ContiguousBytes {
public:
    explicit ContiguousBytes(const py::object& object)
        : contiguous_(Steal(PyMemoryView_GetContiguous(object.ptr(), PyBUF_READ, 'C'))) {
        if (PyObject_GetBuffer(contiguous_.ptr(), &buffer_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
    }
    ~ContiguousBytes() { PyBuffer_Release(&buffer_); }
    ContiguousBytes(const ContiguousBytes&) = delete;
    ContiguousBytes& operator=(const ContiguousBytes&) = delete;

    ByteView View() const {
        return MakeView(static_cast<const uint8_t*>(buffer_.buf), static_cast<size_t>(buffer_.len));
    }

private:
    py::object contiguous_;
    Py_buffer buffer_{};
};

// The object of bytes in memory shown under name, as a dict. modifiedTicks
// < 0: the date is unknown and the object has none.
py::object AnalyzeBytesObject(const py::object& data, const std::string& name, long long modifiedTicks) {
    const ContiguousBytes bytes(data);
    SourceFacts facts;
    if (modifiedTicks >= 0) {
        facts.modifiedTimeKnown = true;
        facts.modifiedTime = static_cast<uint64_t>(modifiedTicks);
    }
    thread_local std::string text, marshalled;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        AnalyzeBytes(thread.analysis, bytes.View(), name.c_str(), facts);
        text.clear();
        AppendJsonObject(text, thread.analysis, name);
        MarshalOfJson(marshalled, text);
    }
    return FromMarshal(marshalled);
}

// The four panes as pixloupe-report --pane=X --color=never prints each, as
// bytes, and the state of the path.
py::tuple PaneTexts(const std::string& path, double limit) {
    std::string texts[kPaneCount];
    int state;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis(true);
        state = AnalyzePath(thread, path, limit).state;
        const PaneChoice choices[kPaneCount] = {PaneChoice::Jpeg, PaneChoice::Thumbnail, PaneChoice::Exif,
                                                PaneChoice::Iptc};
        for (int i = 0; i < kPaneCount; i++) {
            AppendPanes(texts[i], thread.sink, thread.analysis.thumbnail, choices[i], false);
        }
    }
    return py::make_tuple(state, py::bytes(texts[0]), py::bytes(texts[1]), py::bytes(texts[2]),
                          py::bytes(texts[3]));
}

// The forms a scan writes its files in.
enum class LineFormat { Json, JsonSummary, Csv };

// A scan's partition: each file's line, in the order given (JSON Lines as
// pixloupe-report --jsonl prints them, or CSV rows as --csv does), and how
// many files were not ok. One call, one release of the lock, for all.
std::pair<py::bytes, size_t> Lines(const std::vector<std::string>& paths, double limit, LineFormat format) {
    // Kept from call to call: a partition's megabytes are not allocated,
    // faulted in and given back to the system again for every partition.
    thread_local std::string out;
    out.clear();
    size_t notOk = 0;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        for (const std::string& path : paths) {
            Outcome outcome = AnalyzePath(thread, path, limit);
            if (outcome.state != kOk) notOk++;
            // A path gone or turned into a folder since the walk still has its line.
            if (outcome.state != kOk) outcome.state = kNotOk;
            if (format == LineFormat::Csv) {
                if (outcome.timedOut) {
                    AppendCsvFailure(out, path, TimeoutReason(outcome.limit));
                } else {
                    AppendCsvRow(out, thread.analysis, path);
                }
            } else {
                AppendOutcomeJson(out, thread.analysis, path, outcome, format == LineFormat::JsonSummary);
                out += '\n';
            }
        }
    }
    return {py::bytes(out), notOk};
}

std::pair<py::bytes, size_t> JsonLines(const std::vector<std::string>& paths, double limit, bool summaryOnly) {
    return Lines(paths, limit, summaryOnly ? LineFormat::JsonSummary : LineFormat::Json);
}

std::pair<py::bytes, size_t> CsvLines(const std::vector<std::string>& paths, double limit) {
    return Lines(paths, limit, LineFormat::Csv);
}

py::bytes CsvHeader() {
    std::string out;
    AppendCsvHeader(out);
    return py::bytes(out);
}

py::bytes FailureLine(const std::string& path, const std::string& reason, bool csv, const std::string& code) {
    std::string out;
    if (csv) {
        AppendCsvFailure(out, path, reason);
    } else {
        AppendJsonFailure(out, path, reason, code.empty() ? nullptr : code.c_str());
        out += '\n';
    }
    return py::bytes(out);
}

// The marshal data of JSON text: for the tests, which read it back with
// Python's marshal module and compare it with json.loads.
py::bytes MarshalOfJsonText(std::string text) {
    std::string data;
    if (!AppendMarshalOfJson(data, text)) throw py::value_error("not JSON");
    return py::bytes(data);
}

// The command line's folder walk (pixloupe-report -r): the same files in
// the same order, handed out in batches. What the command line reports as
// refused (a FIFO, socket or device met in a folder, a folder that cannot
// be read) is kept apart, to be written as its record.
class Walk {
public:
    Walk(std::vector<std::string> roots, std::vector<std::string> extensions)
        : walk_(std::move(roots), true, extensions.empty() ? DefaultWalkExtensions() : std::move(extensions)) {
        walk_.TellRefusedAsItems();
    }

    // Up to count paths to analyse; fewer only at the end. A root that is
    // a file is taken whatever its name, as on the command line.
    std::vector<py::bytes> Next(size_t count) {
        std::vector<std::string> paths;
        {
            py::gil_scoped_release unlocked;
            WalkItem item;
            while (paths.size() < count && walk_.Next(&item)) {
                if (item.kind == WalkItemKind::Refused) {
                    refused_.push_back({std::move(item.path), std::move(item.reason), item.code ? item.code : ""});
                } else {
                    paths.push_back(std::move(item.path));
                }
            }
        }
        return std::vector<py::bytes>(paths.begin(), paths.end());
    }

    // The items refused since the last call, each as (path, reason, code).
    std::vector<py::tuple> Refused() {
        std::vector<py::tuple> taken;
        for (const RefusedItem& item : refused_) {
            taken.push_back(py::make_tuple(py::bytes(item.path), py::bytes(item.reason), py::bytes(item.code)));
        }
        refused_.clear();
        return taken;
    }

    // The folders that could not be read since the last call, with why.
    std::vector<py::bytes> Problems() {
        const std::vector<std::string> problems = walk_.TakeProblems();
        return std::vector<py::bytes>(problems.begin(), problems.end());
    }

private:
    struct RefusedItem {
        std::string path, reason, code;
    };
    FileWalk walk_;
    std::vector<RefusedItem> refused_;
};

// The summary's facts in output order, each as (key, type): the columns of
// a data frame of summaries and their types.
std::vector<std::pair<std::string, std::string>> SummaryFactTable() {
    std::vector<std::pair<std::string, std::string>> table;
    for (size_t i = 0; i < kFactCount; i++) table.emplace_back(FactRow(i).key, FactTypeName(FactRow(i).type));
    return table;
}

}  // namespace

PYBIND11_MODULE(_pixloupe, m) {
    m.doc() = "Pixloupe's JPEG metadata analysis (use the pixloupe package)";
    m.attr("VERSION") = PIXLOUPE_VERSION;
    m.attr("OK") = static_cast<int>(kOk);
    m.attr("NOT_OK") = static_cast<int>(kNotOk);
    m.attr("MISSING") = static_cast<int>(kMissing);
    m.attr("FOLDER") = static_cast<int>(kFolder);
    m.def("analyze_file", &AnalyzeFileObject, py::arg("path"), py::arg("limit"));
    m.def("analyze_file_json", &AnalyzeFileJson, py::arg("path"), py::arg("limit"));
    m.def("analyze_bytes", &AnalyzeBytesObject, py::arg("data"), py::arg("name"), py::arg("modified_ticks"));
    m.def("summary_facts", &SummaryFactTable);
    m.def("pane_texts", &PaneTexts, py::arg("path"), py::arg("limit"));
    m.def("json_lines", &JsonLines, py::arg("paths"), py::arg("limit"), py::arg("summary_only") = false);
    m.def("csv_lines", &CsvLines, py::arg("paths"), py::arg("limit"));
    m.def("csv_header", &CsvHeader);
    m.def("marshal_of_json", &MarshalOfJsonText, py::arg("text"));
    m.def("failure_line", &FailureLine, py::arg("path"), py::arg("reason"), py::arg("csv") = false,
          py::arg("code") = std::string());
    py::class_<Walk>(m, "Walk")
        .def(py::init<std::vector<std::string>, std::vector<std::string>>(), py::arg("roots"),
             py::arg("extensions") = std::vector<std::string>())
        .def("next", &Walk::Next, py::arg("count"))
        .def("refused", &Walk::Refused)
        .def("problems", &Walk::Problems);
}
