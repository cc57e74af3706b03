// Control characters replaced for a terminal.
#include "batch/terminal_text.h"

#include <cstdint>

#include "export/utf8_text.h"

namespace {

bool IsC0OrDelete(uint8_t byte) { return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F; }

}  // namespace

void AppendForTerminal(std::string& out, const char* text, size_t size) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < size) {
        // Runs of printable ASCII go out as they are.
        size_t run = i;
        while (run < size && bytes[run] < 0x80 && !IsC0OrDelete(bytes[run])) run++;
        out.append(text + i, run - i);
        i = run;
        if (i == size) break;
        if (bytes[i] < 0x80) {
            out += '?';
            i++;
            continue;
        }
        const size_t length = Utf8SequenceLength(bytes + i, size - i);
        if (length == 2 && bytes[i] == 0xC2 && bytes[i + 1] < 0xA0) {
            out += '?';  // U+0080 to U+009F
        } else if (length > 0) {
            out.append(text + i, length);
        } else {
            out += bytes[i] < 0xA0 ? '?' : static_cast<char>(bytes[i]);
        }
        i += length > 0 ? length : 1;
    }
}
