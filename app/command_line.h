// The program's command line: the first parameter names the file to open.
#pragma once

#include <cstddef>

constexpr size_t kStartPathSize = 260;

// Fills startPath (kStartPathSize bytes, always NUL-terminated) from the
// argument vector. A single parameter ends at its first comma; with more
// parameters the first is taken whole and the rest ignored. Returns false,
// leaving startPath empty, when there is no parameter or when the path would
// not fit the buffer (259 characters at most): such a path is refused like a
// missing file rather than opened cut short.
bool ParseCommandLine(int argc, const char* const* argv, char* startPath);
