// UTF-16 to the report's 8-bit text natively: UTF-8.
#include "app13/wide_text.h"

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string EncodeUtf8(uint32_t codePoint) {
    std::string bytes;
    if (codePoint < 0x80) {
        bytes += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        bytes += static_cast<char>(0xC0 | (codePoint >> 6));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes += static_cast<char>(0xE0 | (codePoint >> 12));
        bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (codePoint >> 18));
        bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return bytes;
}

}  // namespace

std::string WideToNarrowText(const std::vector<uint16_t>& units, size_t maxBytes) {
    std::string text;
    size_t index = 0;
    while (index < units.size()) {
        uint16_t unit = units[index];
        uint32_t codePoint = unit;
        size_t used = 1;
        if (IsHighSurrogate(unit) && index + 1 < units.size() && IsLowSurrogate(units[index + 1])) {
            codePoint = 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(units[index + 1]) - 0xDC00);
            used = 2;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            // A surrogate without its partner names no character.
            codePoint = kReplacementCharacter;
        }
        std::string bytes = EncodeUtf8(codePoint);
        if (text.size() + bytes.size() > maxBytes) break;
        text += bytes;
        index += used;
    }
    return text;
}
