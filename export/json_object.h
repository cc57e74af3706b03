// One file's analysis as a JSON object: what pixloupe-report --json and
// --jsonl print for it, and what the Python module returns as a dict.
#pragma once

#include <string>

#include "core/analysis.h"

// Writes the object of the analysis, whose file is named sourceFile, with
// no line end. Text is valid UTF-8: bytes that are not are taken as Latin-1.
// What the object holds beyond its usual members: the XMP packet itself
// (its padding taken off), and the XMP properties' keys with exiftool's
// "XMP-" group before the prefix.
struct JsonOptions {
    bool xmpPacket = false;
    bool xmpGroups = false;
};

void AppendJsonObject(std::string& out, const Analysis& analysis, const std::string& sourceFile,
                      const JsonOptions& options = JsonOptions());

// The object of a file that was never analysed (it vanished, or could not
// be read at all): ok false and the reason as its one message.
void AppendJsonFailure(std::string& out, const std::string& sourceFile, const std::string& reason);
