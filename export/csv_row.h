// One file's summary as a CSV row (RFC 4180), for spreadsheets: SourceFile,
// ok and the summary's facts in the order of the JSON object; an empty
// cell where a fact is absent.
#pragma once

#include <string>

#include "core/analysis.h"

// How text cells are written. A spreadsheet runs a cell that starts with
// = + - @ TAB or CR as a formula: such text from a file (a Make, a comment,
// a file name) gets a leading ' unless raw is set. Numbers are never changed.
struct CsvStyle {
    bool raw = false;
};

// The UTF-8 byte-order mark, by which a spreadsheet knows the encoding.
constexpr char kCsvByteOrderMark[] = "\xEF\xBB\xBF";

// The header row, line end included.
void AppendCsvHeader(std::string& out);

// The row of one analysis, line end included; a file that was not reported
// has its first message in the last column.
void AppendCsvRow(std::string& out, const Analysis& analysis, const std::string& sourceFile,
                  const CsvStyle& style = CsvStyle());

// The row of a file that was never analysed: its name, ok false and why.
void AppendCsvFailure(std::string& out, const std::string& sourceFile, const std::string& message,
                      const CsvStyle& style = CsvStyle());

// A field as RFC 4180 writes it: in double quotes, with its quotes
// doubled, when it holds a comma, a quote or a line end.
void AppendCsvField(std::string& out, const std::string& text);
