// Whole-block reads at an offset for the container readers.
#include "core/read_at.h"

bool ReadBlockAt(ByteSource& source, uint64_t sourceSize, uint64_t offset, uint64_t count,
                 std::vector<uint8_t>& out) {
    out.clear();
    if (count > kMostBlockBytes || !RangeWithin(offset, count, sourceSize)) return false;
    out.resize(static_cast<size_t>(count));
    if (count == 0) return true;
    if (SourceReadAt(source, offset, out.data(), out.size()) != out.size()) {
        out.clear();
        return false;
    }
    return true;
}

FourCcText FourCcOf(uint32_t code) {
    FourCcText shown;
    for (int i = 0; i < 4; i++) {
        const char c = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
        shown.text[i] = (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    shown.text[4] = '\0';
    return shown;
}
