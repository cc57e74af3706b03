// Text from a file as valid UTF-8: bytes that form valid UTF-8 pass
// through, any other byte is taken as Latin-1 (the character of the same
// number), so every text can go into JSON or CSV without loss or error.
#pragma once

#include <cstddef>
#include <string>

void AppendAsUtf8(std::string& out, const char* bytes, size_t size);

// Whether the bytes are valid UTF-8 as they stand (most texts are), so
// that they need no copy.
bool IsValidUtf8(const char* bytes, size_t size);

inline std::string AsUtf8(const std::string& bytes) {
    std::string out;
    AppendAsUtf8(out, bytes.data(), bytes.size());
    return out;
}
