// _pixloupe: the core for Python. Every call analyses with the interpreter
// lock released, so Python threads analyse files in parallel; the Python
// package (pixloupe/__init__.py) turns what these functions return into
// dicts and exceptions.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <rapidjson/document.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "batch/file_walk.h"
#include "batch/pane_printer.h"
#include "export/json_object.h"
#include "facts/fact_table.h"
#include "analyze/analyze_file.h"
#include "core/file_facts.h"
#include "report/pane_text_sink.h"

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
    return state;
}

// The state of a path whose analysis failed: was it there at all?
int StateAfterFailure(const std::string& path) {
    const FileFacts facts = QueryFileFacts(path.c_str());
    if (!facts.exists) return kMissing;
    return facts.isFolder ? kFolder : kNotOk;
}

// Reads the JSON text of an object back, without the lock. Numbers keep
// every bit: a double reads back as the one Python's json module makes of
// the same text.
void ParseObject(rapidjson::Document& document, const std::string& text) {
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.data(), text.size());
}

py::object Steal(PyObject* made) {
    if (made == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(made);
}

// The Python value of a parsed JSON value, as json.loads makes it of the
// same text (tests/test_module.py compares them), in half its time: the
// only part of an analysis that holds the lock.
py::object ToPython(const rapidjson::Value& value) {
    switch (value.GetType()) {
        case rapidjson::kNullType: return py::none();
        case rapidjson::kFalseType: return py::bool_(false);
        case rapidjson::kTrueType: return py::bool_(true);
        case rapidjson::kStringType:
            return Steal(PyUnicode_DecodeUTF8(value.GetString(), value.GetStringLength(), "strict"));
        case rapidjson::kNumberType:
            if (value.IsInt64()) return Steal(PyLong_FromLongLong(value.GetInt64()));
            if (value.IsUint64()) return Steal(PyLong_FromUnsignedLongLong(value.GetUint64()));
            return Steal(PyFloat_FromDouble(value.GetDouble()));
        case rapidjson::kArrayType: {
            py::object list = Steal(PyList_New(static_cast<Py_ssize_t>(value.Size())));
            Py_ssize_t index = 0;
            for (const rapidjson::Value& item : value.GetArray()) {
                PyList_SET_ITEM(list.ptr(), index++, ToPython(item).release().ptr());
            }
            return list;
        }
        case rapidjson::kObjectType: {
            py::object dict = Steal(PyDict_New());
            for (const auto& member : value.GetObject()) {
                py::object key = Steal(PyUnicode_DecodeUTF8(member.name.GetString(), member.name.GetStringLength(),
                                                             "strict"));
                if (PyDict_SetItem(dict.ptr(), key.ptr(), ToPython(member.value).ptr()) != 0) {
                    throw py::error_already_set();
                }
            }
            return dict;
        }
    }
    return py::none();
}

// Analyses the file at path on this thread's analysis and appends its
// object's JSON text to text unless the path was refused; returns the
// path's state. Called with the lock released.
int AnalyzePathToJson(const std::string& path, std::string& text) {
    ThreadAnalysis& thread = ThisThreadsAnalysis();
    const int state = AnalyzeFile(thread.analysis, path.c_str()) ? kOk : StateAfterFailure(path);
    if (state == kOk || state == kNotOk) AppendJsonObject(text, thread.analysis, path);
    return state;
}

// The object of one file as the line pixloupe-report --jsonl prints, and
// the state of the path; the lock is held only to make the str.
std::pair<py::object, int> AnalyzeFileJson(const std::string& path) {
    std::string text;
    int state;
    {
        py::gil_scoped_release unlocked;
        state = AnalyzePathToJson(path, text);
    }
    return {Steal(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict")), state};
}

// The object of one file as pixloupe-report --json prints it, as a dict
// (None when the path was refused), and the state of the path.
std::pair<py::object, int> AnalyzeFileObject(const std::string& path) {
    rapidjson::Document document;
    int state;
    {
        py::gil_scoped_release unlocked;
        std::string text;
        state = AnalyzePathToJson(path, text);
        if (!text.empty()) ParseObject(document, text);
    }
    return {document.IsObject() ? ToPython(document) : py::none(), state};
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
    rapidjson::Document document;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        AnalyzeBytes(thread.analysis, bytes.View(), name.c_str(), facts);
        std::string text;
        AppendJsonObject(text, thread.analysis, name);
        ParseObject(document, text);
    }
    return ToPython(document);
}

// The four panes as pixloupe-report --pane=X --color=never prints each, as
// bytes, and the state of the path.
py::tuple PaneTexts(const std::string& path) {
    std::string texts[kPaneCount];
    int state;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis(true);
        state = AnalyzeFile(thread.analysis, path.c_str()) ? kOk : StateAfterFailure(path);
        const PaneChoice choices[kPaneCount] = {PaneChoice::Jpeg, PaneChoice::Thumbnail, PaneChoice::Exif,
                                                PaneChoice::Iptc};
        for (int i = 0; i < kPaneCount; i++) {
            AppendPanes(texts[i], thread.sink, thread.analysis.thumbnail, choices[i], false);
        }
    }
    return py::make_tuple(state, py::bytes(texts[0]), py::bytes(texts[1]), py::bytes(texts[2]),
                          py::bytes(texts[3]));
}

// A scan's partition: each file's object on a line of its own, as
// pixloupe-report --jsonl prints it, in the order given, and how many
// files were not ok. One call, one release of the lock, for all of them.
std::pair<py::bytes, size_t> JsonLines(const std::vector<std::string>& paths) {
    // Kept from call to call: a partition's megabytes are not allocated,
    // faulted in and given back to the system again for every partition.
    thread_local std::string out;
    out.clear();
    size_t notOk = 0;
    {
        py::gil_scoped_release unlocked;
        ThreadAnalysis& thread = ThisThreadsAnalysis();
        for (const std::string& path : paths) {
            if (!AnalyzeFile(thread.analysis, path.c_str())) notOk++;
            AppendJsonObject(out, thread.analysis, path);
            out += '\n';
        }
    }
    return {py::bytes(out), notOk};
}

py::bytes FailureJson(const std::string& path, const std::string& reason) {
    std::string out;
    AppendJsonFailure(out, path, reason);
    return py::bytes(out);
}

// The command line's folder walk (pixloupe-report -r): the same files in
// the same order, handed out in batches.
class Walk {
public:
    explicit Walk(std::vector<std::string> roots) : walk_(std::move(roots), true, DefaultWalkExtensions()) {}

    // Up to count paths; fewer only at the end. A root that is a file is
    // taken whatever its name, as on the command line.
    std::vector<py::bytes> Next(size_t count) {
        std::vector<std::string> paths;
        {
            py::gil_scoped_release unlocked;
            WalkItem item;
            while (paths.size() < count && walk_.Next(&item)) paths.push_back(std::move(item.path));
        }
        return std::vector<py::bytes>(paths.begin(), paths.end());
    }

    // The folders that could not be read since the last call, with why.
    std::vector<py::bytes> Problems() {
        const std::vector<std::string> problems = walk_.TakeProblems();
        return std::vector<py::bytes>(problems.begin(), problems.end());
    }

private:
    FileWalk walk_;
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
    m.attr("OK") = static_cast<int>(kOk);
    m.attr("NOT_OK") = static_cast<int>(kNotOk);
    m.attr("MISSING") = static_cast<int>(kMissing);
    m.attr("FOLDER") = static_cast<int>(kFolder);
    m.def("analyze_file", &AnalyzeFileObject, py::arg("path"));
    m.def("analyze_file_json", &AnalyzeFileJson, py::arg("path"));
    m.def("analyze_bytes", &AnalyzeBytesObject, py::arg("data"), py::arg("name"), py::arg("modified_ticks"));
    m.def("summary_facts", &SummaryFactTable);
    m.def("pane_texts", &PaneTexts, py::arg("path"));
    m.def("json_lines", &JsonLines, py::arg("paths"));
    m.def("failure_json", &FailureJson, py::arg("path"), py::arg("reason"));
    py::class_<Walk>(m, "Walk")
        .def(py::init<std::vector<std::string>>(), py::arg("roots"))
        .def("next", &Walk::Next, py::arg("count"))
        .def("problems", &Walk::Problems);
}
