// A dataset value formatted into its line and shown in pieces.
#include "app13/iptc_value_line.h"

#include <cstdio>
#include <cstring>

#include "report/report.h"

namespace {

constexpr int32_t kExifCameraInfoTag = 2 * 256 + 232;
constexpr uint8_t kEscape = 0x1B;

void FormatNumberValue(IptcValueLine& line, ByteView value) {
    // A 16-bit big-endian number; when the IPTC data ends sooner, the
    // bytes that exist make the number, and none make an empty value.
    uint32_t number = 0;
    size_t count = value.size < 2 ? value.size : 2;
    for (size_t index = 0; index < count; index++) {
        uint8_t byte = 0;
        ReadU8(value, static_cast<int64_t>(index), &byte);
        number = number << 8 | byte;
    }
    if (count > 0) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%u", number);
        AddTextToValueLine(line, digits);
    }
    AddLineEndToValueLine(line);
}

void FormatFixedValue(IptcValueLine& line, ByteView value, int32_t count) {
    // The bytes are shown unchanged up to the first zero among them.
    for (int64_t index = 0; index < count; index++) {
        uint8_t byte = 0;
        if (!ReadU8(value, index, &byte) || byte == 0) break;
        AddToValueLine(line, static_cast<char>(byte));
    }
    AddLineEndToValueLine(line);
}

void AddLineEnd(IptcValueLine& line) {
    // A CR LF pair, or several line ends in a row, make one line break.
    if (line.lastByte != '\n') AddLineEndToValueLine(line);
}

void FormatTextValue(IptcValueLine& line, int32_t tag, ByteView value, uint16_t length) {
    if (tag == kExifCameraInfoTag) {
        // The camera information is multi-line: it starts below its name.
        AppendReport(*line.report, "\r\n");
        ClearValueLine(line);
    }
    for (int64_t index = 0; index < length; index++) {
        uint8_t byte = 0;
        if (!ReadU8(value, index, &byte) || byte == 0) break;
        if (byte == kEscape) {
            AddTextToValueLine(line, "ESC");
        } else if (byte == '\t') {
            AddToValueLine(line, ' ');
        } else if (byte == '\r' || byte == '\n') {
            AddLineEnd(line);
        } else {
            AddToValueLine(line, static_cast<char>(byte));
        }
    }
    if (line.lastByte != '\n') AddLineEndToValueLine(line);
}

}  // namespace

void ClearValueLine(IptcValueLine& line) {
    std::memset(line.text, 0, sizeof line.text);
    line.used = 0;
    line.lastByte = 0;
}

void FlushValueLine(IptcValueLine& line) {
    line.text[line.used] = '\0';
    if (line.used > 0) AppendReport(*line.report, line.text);
    std::memset(line.text, 0, sizeof line.text);
    line.used = 0;
}

void AddToValueLine(IptcValueLine& line, char byte) {
    if (line.used + 1 >= kValueLineBytes) FlushValueLine(line);
    line.text[line.used++] = byte;
    line.lastByte = byte;
}

void AddTextToValueLine(IptcValueLine& line, const char* text) {
    for (const char* at = text; *at != '\0'; at++) AddToValueLine(line, *at);
}

void AddLineEndToValueLine(IptcValueLine& line) {
    // CR and LF go out in one piece: a rich edit that receives them in two
    // appends shows two line ends.
    if (line.used + 2 >= kValueLineBytes) FlushValueLine(line);
    AddTextToValueLine(line, "\r\n");
}

void ShowIptcValue(Report& report, const IptcDatasetEntry& entry, ByteView value, uint16_t length) {
    IptcValueLine line;
    line.report = &report;
    ClearValueLine(line);
    switch (ValueKindOf(entry)) {
        case IptcValueKind::Number: FormatNumberValue(line, value); break;
        case IptcValueKind::Fixed: FormatFixedValue(line, value, entry.minLength); break;
        case IptcValueKind::Text: FormatTextValue(line, entry.tag, value, length); break;
    }
    FlushValueLine(line);
}
