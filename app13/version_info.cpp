// The version resource: format version, whether a merged image is stored,
// the writer and reader names and the file version.
#include <string>
#include <vector>

#include "app13/resource_decoders.h"
#include "app13/wide_text.h"
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
// zero unit. A name that fills the buffer is cut there; one that runs to
// the segment end ends there.
std::string ReadShiftedName(ByteView segment, int64_t start) {
    std::vector<uint16_t> units;
    for (int index = 0; index < kNameUnits - 1; index++) {
        uint16_t unit = 0;
        if (!ReadU16At(segment, start + 2 * int64_t(index), false, &unit) || unit == 0) break;
        units.push_back(unit);
    }
    return WideToNarrowText(units, kNameBytes - 1);
}

// One byte shown as a text of one character; a zero byte is an empty text.
std::string CharacterText(uint8_t byte) {
    return byte == 0 ? std::string() : std::string(1, static_cast<char>(byte));
}

}  // namespace

void ShowVersionInfo(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart) {
    const int32_t version = S32OrZero(segment, dataStart);
    const uint8_t realMergedData = ByteOrZero(segment, dataStart + 4);
    // Only the last byte of each 4-byte count is taken.
    const uint8_t writerCount = ByteOrZero(segment, dataStart + 8);
    const std::string writer = ReadShiftedName(segment, dataStart + 10);
    const int64_t readerCountAt = dataStart + 12 + 2 * int64_t(writerCount);
    const uint8_t readerCount = ByteOrZero(segment, readerCountAt);
    const std::string reader = ReadShiftedName(segment, readerCountAt + 2);
    // The last byte of the file-version field, then the three bytes after
    // it, which normally lie beyond the resource data (padding and "8B").
    const int64_t fileVersionAt = readerCountAt + 4 + 2 * int64_t(readerCount);
    const std::string fileVersion =
        FormatText("%d.%d.%s.%s", ByteOrZero(segment, fileVersionAt), ByteOrZero(segment, fileVersionAt + 1),
                   CharacterText(ByteOrZero(segment, fileVersionAt + 2)).c_str(),
                   CharacterText(ByteOrZero(segment, fileVersionAt + 3)).c_str());
    AppendReportFormat(report, "version=%d,RealMergedData=%d,len1=%d,writer=%s,len2=%d,reader=%s,fileversion=%s\r\n",
                       version, realMergedData, writerCount, writer.c_str(), readerCount, reader.c_str(),
                       fileVersion.c_str());
    KeepNumberField(resource, "version", version);
    KeepNumberField(resource, "realMergedData", realMergedData);
    KeepTextField(resource, "writer", writer);
    KeepTextField(resource, "reader", reader);
    KeepTextField(resource, "fileVersion", fileVersion);
}
