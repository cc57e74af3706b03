// One directory entry: its fields, where its value lies, and the value
// texts of the listing.
#include "exif/directory_entry.h"

#include "exif/value_format.h"
#include "report/report.h"

#include <cstring>

DirectoryEntry ReadDirectoryEntry(ByteView block, int64_t entryOffset, int bigEndian) {
    DirectoryEntry entry;
    entry.tag = ReadU16(block, entryOffset, bigEndian);
    entry.format = ReadU16(block, entryOffset + 2, bigEndian);
    entry.componentCount = ReadS32(block, entryOffset + 4, bigEndian);
    // The count is unsigned in the file; in 64 bits the product cannot overflow.
    entry.byteCount = static_cast<int64_t>(static_cast<uint32_t>(entry.componentCount)) *
                      FormatByteSize(entry.format);
    return entry;
}

bool LocateEntryValue(ByteView block, int64_t entryOffset, int bigEndian, DirectoryEntry& entry) {
    const int64_t fieldOffset = entryOffset + 8;
    if (entry.byteCount <= 4) {
        entry.valueOffset = fieldOffset;
        if (!SubView(block, fieldOffset, 4, &entry.value)) return false;
    } else {
        entry.valueOffset = ReadS32(block, fieldOffset, bigEndian);
        if (!SubView(block, entry.valueOffset, entry.byteCount, &entry.value)) return false;
    }
    entry.valueToBlockEnd = TailView(block, entry.valueOffset);
    return true;
}

// The text runs to the first zero byte or the end of the value, whichever
// comes first; it is copied in one piece and its bytes replaced in place.
std::string QuotedValueText(ByteView value, int64_t byteCount) {
    ByteView whole;
    const int64_t available = static_cast<int64_t>(value.size);
    SubView(value, 0, byteCount < 0 ? 0 : (byteCount < available ? byteCount : available), &whole);
    size_t length = whole.size;
    if (length > 0) {
        const void* zero = std::memchr(whole.data, 0, whole.size);
        if (zero != nullptr) length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - whole.data);
    }
    std::string text;
    text.reserve(length + 2);
    text += '"';
    if (length > 0) text.append(reinterpret_cast<const char*>(whole.data), length);
    for (size_t i = 1; i < text.size(); i++) {
        const uint8_t byte = static_cast<uint8_t>(text[i]);
        if (byte == '\r' || byte == '\n') {
            text[i] = ' ';
        } else if (byte < 0x20 || byte >= 0x80) {
            text[i] = '?';
        }
    }
    text += '"';
    return text;
}

std::string Utf16ValueText(ByteView value, int64_t byteCount) {
    std::string text;
    for (int64_t i = 0; i < byteCount / 2; i++) {
        uint16_t unit = 0;
        if (!ReadU16At(value, 2 * i, false, &unit) || unit == 0) break;
        text += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string DirectoryIndent(int level) {
    return std::string(static_cast<size_t>(level > 0 ? 4 * level : 0), ' ');
}

void ShowEntryLine(Report& report, std::string label, const std::string& value) {
    label += " = ";
    label += value;
    label += "\r\n";
    AppendReportText(report, label);
    SetReportColor(report, kColorBlack);
}
