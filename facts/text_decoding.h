// Texts of the file as UTF-8: UTF-16 of either byte order, Latin-1, and
// the EXIF UserComment with its 8-byte character code.
#pragma once

#include <string>

// UTF-16 units to UTF-8, ending at a zero unit; a lone surrogate becomes
// U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes, bool bigEndian);

// Every byte as the Latin-1 character of its number.
std::string Latin1ToUtf8(const std::string& bytes);

// The text of a UserComment value: "ASCII\0\0\0" and the undefined code
// (eight zero bytes) lead 8-bit text, "UNICODE\0" UTF-16 in the block's
// byte order (or the order its byte-order mark says), "JIS\0\0\0\0\0"
// JIS X 0208 kept as its bytes. Trailing blanks and zero bytes are not
// part of the text.
std::string UserCommentText(const std::string& value, bool blockBigEndian);

// Without its trailing blanks and zero bytes.
std::string TrimmedRight(std::string text);
