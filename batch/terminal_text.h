// Text from a file made harmless for a terminal: a control character in a
// Make or a comment (ESC above all) would otherwise drive the terminal,
// retitle it, clear it or move its cursor.
#pragma once

#include <cstddef>
#include <string>

// Appends the bytes with each C0 control but TAB, CR and LF, DEL, and each
// C1 control (U+0080 to U+009F in UTF-8, or a byte 0x80 to 0x9F outside a
// valid sequence, which 8-bit terminals obey) replaced by '?'. Every other
// byte, valid UTF-8 or not, passes as it is.
void AppendForTerminal(std::string& out, const char* bytes, size_t size);
