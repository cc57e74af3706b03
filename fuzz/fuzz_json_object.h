// What the whole-file targets share: one file given as bytes, analysed
// whole, then its JSON object, which must parse, as valid UTF-8, whatever
// the bytes were.
#pragma once

#include <cstddef>
#include <cstdint>

// Analyses the bytes as the file of that name and aborts when its JSON
// object does not parse, or differs when no pane is written.
void AnalyzeAndParseJsonObject(const uint8_t* data, size_t size, const char* name);
