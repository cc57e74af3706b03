// The summary of one analysis as a CSV row.
#include "export/csv_row.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "export/utf8_text.h"
#include "facts/summary_facts.h"

namespace {

// RFC 4180 ends every record with CR LF.
const char kLineEnd[] = "\r\n";

constexpr size_t kLeadingColumns = 2;
// SourceFile and ok, then one column per fact of the table, then the
// message of a file not reported.
constexpr size_t kColumnCount = kLeadingColumns + kFactCount + 1;

// The first characters by which a spreadsheet takes a cell as a formula.
bool StartsLikeFormula(const std::string& text) {
    return !text.empty() && text[0] != '\0' && std::strchr("=+-@\t\r", text[0]) != nullptr;
}

struct RowWriter {
    std::string& out;
    const CsvStyle& style;
    size_t cells = 0;

    void Separate() {
        if (cells++ > 0) out += ',';
    }
    void Empty() { Separate(); }
    void Text(const std::string& text) { Cell(AsUtf8(text)); }
    void Path(const std::string& path) { Cell(PathAsUtf8(path)); }
    void Cell(const std::string& utf8) {
        Separate();
        AppendCsvField(out, !style.raw && StartsLikeFormula(utf8) ? "'" + utf8 : utf8);
    }
    void Integer(int64_t value) {
        Separate();
        out += std::to_string(value);
    }
    void Bool(bool value) {
        Separate();
        out += value ? "true" : "false";
    }
    // The shortest decimal that reads back as the same number.
    void Number(double value) {
        Separate();
        if (!std::isfinite(value)) return;
        char digits[32];
        const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, written.ptr);
    }
    void Fact(const FactValue& value) {
        switch (value.kind) {
            case FactValue::Kind::Absent: Empty(); return;
            case FactValue::Kind::Text: Text(value.text); return;
            case FactValue::Kind::Integer: Integer(value.integer); return;
            case FactValue::Kind::Number: Number(value.number); return;
            case FactValue::Kind::Boolean: Bool(value.boolean); return;
            case FactValue::Kind::TextList: Text(JoinedList(value.list)); return;
        }
    }
    // The last column's message, after empty cells up to it.
    void Message(const std::string& text) {
        while (cells + 1 < kColumnCount) Empty();
        Text(text);
    }
    // A list in one cell: its texts joined by ";".
    static std::string JoinedList(const std::vector<std::string>& list) {
        std::string joined;
        for (const std::string& text : list) {
            if (!joined.empty()) joined += ';';
            joined += text;
        }
        return joined;
    }
    void End() {
        // A row of a file that was not analysed has its two leading cells,
        // and its message, only.
        assert(cells >= kColumnCount - 1 || cells == kLeadingColumns);
        while (cells < kColumnCount) Empty();
        out += kLineEnd;
    }
};

}  // namespace

void AppendCsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvHeader(std::string& out) {
    out += "SourceFile,ok";
    for (size_t i = 0; i < kFactCount; i++) {
        out += ',';
        out += FactRow(i).key;
    }
    out += ",message";
    out += kLineEnd;
}

void AppendCsvRow(std::string& out, const Analysis& analysis, const std::string& sourceFile, const CsvStyle& style) {
    RowWriter row{out, style};
    row.Path(sourceFile);
    row.Bool(analysis.reachedSummary);
    if (!analysis.reachedSummary) {
        if (!analysis.report.lines.empty()) {
            const ReportedLine& first = analysis.report.lines.front();
            row.Message(first.reason.empty() ? first.text : first.text + " (" + first.reason + ")");
        }
        row.End();
        return;
    }
    const SummaryFacts facts = SummaryFactsOf(analysis);
    for (const FactValue& value : facts.summary.values) row.Fact(value);
    row.End();
}

void AppendCsvFailure(std::string& out, const std::string& sourceFile, const std::string& message,
                      const CsvStyle& style) {
    RowWriter row{out, style};
    row.Path(sourceFile);
    row.Bool(false);
    row.Message(message);
    row.End();
}
