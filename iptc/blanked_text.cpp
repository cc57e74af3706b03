#include "iptc/blanked_text.h"

std::string BlankControlBytes(ByteView bytes) {
    std::string text;
    text.reserve(bytes.size);
    for (size_t index = 0; index < bytes.size; index++) {
        uint8_t byte = 0;
        if (!ReadU8(bytes, static_cast<int64_t>(index), &byte)) break;
        bool shown = byte >= 0x20 && byte < 0x80;
        text += shown ? static_cast<char>(byte) : ' ';
    }
    return text;
}
