// Text from a file as valid UTF-8: bytes that form valid UTF-8 pass
// through, any other byte is taken as Latin-1 (the character of the same
// number), so every text can go into JSON or CSV without loss or error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void AppendAsUtf8(std::string& out, const char* bytes, size_t size);

// The length of the valid UTF-8 sequence at bytes[0] (left > 0), or 0 when
// there is none: no overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(const uint8_t* bytes, size_t left);

// A file's path as valid UTF-8 that tells every path apart and gives its
// bytes back: valid UTF-8 passes, a backslash is written as two, and any
// other byte as \xNN (lower-case hex). A name is bytes on POSIX systems:
// taking stray bytes as Latin-1 would make "caf\xE9" and "caf\xC3\xA9"
// (two files) one name, and the name shown would open the other file.
void AppendPathAsUtf8(std::string& out, const char* bytes, size_t size);

inline std::string PathAsUtf8(const std::string& bytes) {
    std::string out;
    AppendPathAsUtf8(out, bytes.data(), bytes.size());
    return out;
}

// Whether the bytes are valid UTF-8 as they stand (most texts are), so
// that they need no copy.
bool IsValidUtf8(const char* bytes, size_t size);

inline std::string AsUtf8(const std::string& bytes) {
    std::string out;
    AppendAsUtf8(out, bytes.data(), bytes.size());
    return out;
}
