// One 12-byte entry of an EXIF directory and where its value lies, shared
// by the directory walker and the GPS directory.
#pragma once

#include <cstdint>
#include <string>

#include "core/byte_view.h"

struct Report;

constexpr int64_t kEntrySize = 12;

struct DirectoryEntry {
    uint16_t tag = 0;
    int format = 0;
    int32_t componentCount = 0;
    int64_t byteCount = 0;     // components times the format's size, never overflowing
    int64_t valueOffset = 0;   // where the value starts, counted from the block start
    ByteView value;            // the value's bytes (the whole 4-byte field when it is held inline)
    ByteView valueToBlockEnd;  // from the value's start to the block's end
};

// Reads tag, format and count of the entry at entryOffset (the caller has
// made sure its 12 bytes lie in the block).
DirectoryEntry ReadDirectoryEntry(ByteView block, int64_t entryOffset, int bigEndian);

// Finds the value: in the entry's last four bytes when it needs 4 bytes or
// fewer, otherwise at the offset held there. False when the value does not
// lie wholly inside the block. Needs a valid format code.
bool LocateEntryValue(ByteView block, int64_t entryOffset, int bigEndian, DirectoryEntry& entry);

// An ASCII or UNDEFINED value as the pane shows it: in double quotes, up to
// the byte count or the first zero byte; CR and LF become blanks, other
// control bytes and bytes from 0x80 up become "?".
std::string QuotedValueText(ByteView value, int64_t byteCount);

// Little-endian UTF-16 of byteCount / 2 code units, ending at a zero unit;
// a unit up to 0xFF is the 8-bit character of that value, a larger one "?".
std::string Utf16ValueText(ByteView value, int64_t byteCount);

// Four blanks per nesting level.
std::string DirectoryIndent(int level);

// The bytes of the line ShowEntryLine appends.
inline size_t EntryLineBytes(const std::string& label, const std::string& value) {
    return label.size() + 3 + value.size() + 2;
}

// Shows "<label> = <value>" as one line in the colour already set, then sets
// black again: every entry line ends that way, red or not.
void ShowEntryLine(Report& report, std::string label, const std::string& value);
