// One file's analysis as a JSON object: what pixloupe-report --json and
// --jsonl print for it, and what the Python module returns as a dict.
#pragma once

#include <string>

#include "core/analysis.h"

// Writes the object of the analysis, whose file is named sourceFile, with
// no line end. Text is valid UTF-8: bytes that are not are taken as Latin-1,
// but in SourceFile, which keeps the path's bytes (AppendPathAsUtf8).
void AppendJsonObject(std::string& out, const Analysis& analysis, const std::string& sourceFile);

// The flat object of --flat: SourceFile, ok and the Summary's facts at the
// top level, as a CSV row has them.
void AppendFlatJsonObject(std::string& out, const Analysis& analysis, const std::string& sourceFile);

// The object of a file that was never analysed (it vanished, or could not
// be read at all, or is no file): ok false and the reason as its one
// message, with the reason's code when one is given.
void AppendJsonFailure(std::string& out, const std::string& sourceFile, const std::string& reason,
                       const char* code = nullptr);
