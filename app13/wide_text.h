// UTF-16 text to the 8-bit text of the report: the ANSI code page on
// Windows, UTF-8 elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Converts whole characters only, as many as fit in maxBytes bytes.
std::string WideToNarrowText(const std::vector<uint16_t>& units, size_t maxBytes);
