#include "iptc/blanked_text.h"

// Filled with blanks first, so each byte costs one read and at most one
// store, however long the packet.
std::string BlankControlBytes(ByteView bytes) {
    std::string text(bytes.size, ' ');
    uint8_t byte = 0;
    for (size_t index = 0; ReadU8(bytes, static_cast<int64_t>(index), &byte); index++) {
        if (byte >= 0x20 && byte < 0x80) text[index] = static_cast<char>(byte);
    }
    return text;
}
