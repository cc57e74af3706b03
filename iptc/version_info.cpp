// The version resource: format version, whether a merged image is stored,
// the writer and reader names and the file version.
#include <string>
#include <vector>

#include "iptc/resource_decoders.h"
#include "iptc/wide_text.h"
#include "report/report.h"

namespace {

// The names are copied into a buffer of 260 16-bit units, and converted
// into one of 260 bytes, terminators included.
constexpr int kNameUnits = 260;
constexpr size_t kNameBytes = 260;

// Reads a name as little-endian 16-bit units up to the first zero unit.
// The names are stored big-endian behind a 4-byte count, and are read one
// byte later: each unit then pairs a character's low byte with the next
// character's high byte, and the count that follows the name supplies the
// zero unit. A name that fills the buffer is cut there. False when the
// units run past the segment end before a zero unit.
bool ReadShiftedName(ByteView segment, int64_t start, std::string* name) {
    std::vector<uint16_t> units;
    for (int index = 0; index < kNameUnits - 1; index++) {
        uint16_t unit = 0;
        if (!ReadU16At(segment, start + 2 * int64_t(index), false, &unit)) return false;
        if (unit == 0) break;
        units.push_back(unit);
    }
    *name = WideToNarrowText(units, kNameBytes - 1);
    return true;
}

// One byte shown as a text of one character; a zero byte is an empty text.
std::string CharacterText(uint8_t byte) {
    return byte == 0 ? std::string() : std::string(1, static_cast<char>(byte));
}

}  // namespace

bool ShowVersionInfo(ByteView segment, int64_t dataStart) {
    int32_t version = 0;
    uint8_t realMergedData = 0;
    uint8_t writerCount = 0;
    uint8_t readerCount = 0;
    std::string writer;
    std::string reader;
    if (!ReadS32At(segment, dataStart, true, &version) || !ReadU8(segment, dataStart + 4, &realMergedData) ||
        !ReadU8(segment, dataStart + 8, &writerCount) || !ReadShiftedName(segment, dataStart + 10, &writer)) {
        return false;
    }
    // Only the last byte of each 4-byte count is taken.
    int64_t readerCountAt = dataStart + 12 + 2 * int64_t(writerCount);
    if (!ReadU8(segment, readerCountAt, &readerCount) || !ReadShiftedName(segment, readerCountAt + 2, &reader)) {
        return false;
    }
    // The last byte of the file-version field, then the three bytes after
    // it, which normally lie beyond the resource data (padding and "8B").
    int64_t fileVersionAt = readerCountAt + 4 + 2 * int64_t(readerCount);
    uint8_t fileVersion[4] = {0, 0, 0, 0};
    for (int index = 0; index < 4; index++) {
        if (!ReadU8(segment, fileVersionAt + index, &fileVersion[index])) return false;
    }
    AppendReportFormat("version=%d,RealMergedData=%d,len1=%d,writer=%s,len2=%d,reader=%s,fileversion=%d.%d.%s.%s\r\n",
                       version, realMergedData, writerCount, writer.c_str(), readerCount, reader.c_str(),
                       fileVersion[0], fileVersion[1], CharacterText(fileVersion[2]).c_str(),
                       CharacterText(fileVersion[3]).c_str());
    return true;
}
