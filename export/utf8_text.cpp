// File bytes made valid UTF-8, Latin-1 taken for any byte that is not.
#include "export/utf8_text.h"

#include <cstdint>
#include <cstring>

size_t Utf8SequenceLength(const uint8_t* bytes, size_t left) {
    const uint8_t lead = bytes[0];
    size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (length > left) return 0;
    if (bytes[1] < low || bytes[1] > high) return 0;
    for (size_t i = 2; i < length; i++) {
        if (bytes[i] < 0x80 || bytes[i] > 0xBF) return 0;
    }
    return length;
}

void AppendAsUtf8(std::string& out, const char* text, size_t size) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < size) {
        // Runs of ASCII go out as they are.
        size_t run = i;
        while (run < size && bytes[run] < 0x80) run++;
        out.append(text + i, run - i);
        i = run;
        if (i == size) break;
        const size_t length = Utf8SequenceLength(bytes + i, size - i);
        if (length > 0) {
            out.append(text + i, length);
            i += length;
        } else {
            // A byte from 0x80 up as the Latin-1 character U+0080 to U+00FF.
            out += static_cast<char>(0xC0 | bytes[i] >> 6);
            out += static_cast<char>(0x80 | (bytes[i] & 0x3F));
            i++;
        }
    }
}

void AppendPathAsUtf8(std::string& out, const char* text, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < size) {
        // A run of plain ASCII goes in at once.
        size_t run = i;
        while (run < size && bytes[run] < 0x80 && bytes[run] != '\\') run++;
        if (run > i) {
            out.append(text + i, run - i);
            i = run;
            continue;
        }
        if (bytes[i] == '\\') {
            out += "\\\\";
            i++;
            continue;
        }
        const size_t length = bytes[i] < 0x80 ? 1 : Utf8SequenceLength(bytes + i, size - i);
        if (length > 0) {
            out.append(text + i, length);
            i += length;
            continue;
        }
        out += "\\x";
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
        i++;
    }
}

bool IsValidUtf8(const char* text, size_t size) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time: no byte of them has its top bit set.
        uint64_t word = 0;
        if (size - i >= 8 && (std::memcpy(&word, bytes + i, 8), (word & 0x8080808080808080ull) == 0)) {
            i += 8;
            continue;
        }
        if (bytes[i] < 0x80) {
            i++;
            continue;
        }
        const size_t length = Utf8SequenceLength(bytes + i, size - i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}
