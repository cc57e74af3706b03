// The summary of one analysis as a CSV row.
#include "export/csv_row.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "export/utf8_text.h"
#include "facts/summary_facts.h"

namespace {

// RFC 4180 ends every record with CR LF.
const char kLineEnd[] = "\r\n";

const char* const kColumns[] = {
    "SourceFile", "ok", "make", "model", "dateTime", "width", "height", "color", "orientation", "flash",
    "flashFired", "focalLength", "focalLength35", "ccdWidth", "digitalZoom", "exposureTime", "fNumber",
    "subjectDistance", "iso", "exposureBias", "whiteBalance", "lightSource", "meteringMode", "exposureProgram",
    "exposureMode", "focusRange", "gpsLatitude", "gpsLongitude", "gpsAltitude", "comment", "iptcBytes", "xmpBytes",
    "thumbnailBytes", "thumbnailWidth", "thumbnailHeight", "message",
};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

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
    template <typename T>
    void Integer(const std::optional<T>& value) {
        value ? Integer(static_cast<int64_t>(*value)) : Empty();
    }
    void Number(const std::optional<double>& value) { value ? Number(*value) : Empty(); }
    void Text(const std::optional<std::string>& value) { value ? Text(*value) : Empty(); }
    // The last column's message, after empty cells up to it.
    void Message(const std::string& text) {
        while (cells + 1 < kColumnCount) Empty();
        Text(text);
    }
    void End() {
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
    for (size_t i = 0; i < kColumnCount; i++) {
        if (i > 0) out += ',';
        out += kColumns[i];
    }
    out += kLineEnd;
}

void AppendCsvRow(std::string& out, const Analysis& analysis, const std::string& sourceFile, const CsvStyle& style) {
    RowWriter row{out, style};
    row.Path(sourceFile);
    row.Bool(analysis.reachedSummary);
    if (!analysis.reachedSummary) {
        if (!analysis.report.lines.empty()) row.Message(analysis.report.lines.front().text);
        row.End();
        return;
    }
    const SummaryFacts f = SummaryFactsOf(analysis);
    row.Text(f.make);
    row.Text(f.model);
    row.Text(f.dateTime);
    row.Integer(f.width);
    row.Integer(f.height);
    row.Bool(f.color);
    row.Integer(f.orientation);
    row.Integer(f.flash);
    f.flash ? row.Bool((*f.flash & 1) != 0) : row.Empty();
    row.Number(f.focalLength);
    row.Integer(f.focalLength35);
    row.Number(f.ccdWidth);
    row.Number(f.digitalZoom);
    row.Number(f.exposureTime);
    row.Number(f.fNumber);
    if (f.subjectDistanceInfinite) {
        row.Text(std::string("infinity"));
    } else {
        row.Number(f.subjectDistance);
    }
    row.Integer(f.iso);
    row.Number(f.exposureBias);
    row.Integer(f.whiteBalance);
    row.Integer(f.lightSource);
    row.Integer(f.meteringMode);
    row.Integer(f.exposureProgram);
    row.Integer(f.exposureMode);
    row.Integer(f.focusRange);
    row.Number(f.gpsLatitude);
    row.Number(f.gpsLongitude);
    row.Number(f.gpsAltitude);
    row.Text(f.comment);
    row.Integer(f.iptcBytes);
    row.Integer(f.xmpBytes);
    row.Integer(f.thumbnailBytes);
    row.Integer(f.thumbnailWidth);
    row.Integer(f.thumbnailHeight);
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
