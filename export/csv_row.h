// One file's summary as a CSV row (RFC 4180), for spreadsheets: SourceFile,
// ok and the summary's facts in the order of the JSON object; an empty
// cell where a fact is absent.
#pragma once

#include <string>

#include "core/analysis.h"

// The header row, line end included.
void AppendCsvHeader(std::string& out);

// The row of one analysis, line end included.
void AppendCsvRow(std::string& out, const Analysis& analysis, const std::string& sourceFile);

// The row of a file that was never analysed: its name and ok false.
void AppendCsvFailure(std::string& out, const std::string& sourceFile);

// A field as RFC 4180 writes it: in double quotes, with its quotes
// doubled, when it holds a comma, a quote or a line end.
void AppendCsvField(std::string& out, const std::string& text);
