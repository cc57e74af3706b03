// UTF-16, Latin-1 and UserComment texts as UTF-8.
#include "facts/text_decoding.h"

#include <cstdint>

namespace {

void AppendCodePoint(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t UnitAt(const std::string& bytes, size_t at, bool bigEndian) {
    const uint32_t first = static_cast<unsigned char>(bytes[at]);
    const uint32_t second = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? first << 8 | second : second << 8 | first;
}

}  // namespace

std::string Utf16ToUtf8(const std::string& bytes, bool bigEndian) {
    std::string out;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const uint32_t unit = UnitAt(bytes, at, bigEndian);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size()) {
            const uint32_t low = UnitAt(bytes, at + 2, bigEndian);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
                continue;
            }
        }
        AppendCodePoint(out, unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit);
    }
    return out;
}

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char byte : bytes) AppendCodePoint(out, byte);
    return out;
}

std::string TrimmedRight(std::string text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\0')) end--;
    text.resize(end);
    return text;
}

std::string UserCommentText(const std::string& value, bool blockBigEndian) {
    if (value.size() < 8) return TrimmedRight(value.substr(0, value.find('\0')));
    const std::string code = value.substr(0, 8);
    std::string text = value.substr(8);
    if (code == std::string("UNICODE\0", 8)) {
        bool bigEndian = blockBigEndian;
        // A byte-order mark, where a writer put one, says the order.
        if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFE &&
            static_cast<unsigned char>(text[1]) == 0xFF) {
            bigEndian = true;
            text.erase(0, 2);
        } else if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
                   static_cast<unsigned char>(text[1]) == 0xFE) {
            bigEndian = false;
            text.erase(0, 2);
        }
        return TrimmedRight(Utf16ToUtf8(text, bigEndian));
    }
    // ASCII, JIS and the undefined code: the bytes up to the first zero.
    return TrimmedRight(text.substr(0, text.find('\0')));
}
