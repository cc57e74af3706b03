// The line in which a dataset's value is formatted: 260 bytes, cleared
// before each value. A value that does not fit is shown in pieces, each
// appended as the line fills, so no character is lost or repeated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app13/iptc_dataset_table.h"
#include "core/byte_view.h"

struct Report;

constexpr size_t kValueLineBytes = 260;

struct IptcValueLine {
    Report* report;    // where the pieces go
    char text[kValueLineBytes];
    size_t used;       // bytes in text, always below kValueLineBytes (room for the terminator)
    char lastByte;     // the last byte added since the value began, 0 when none
};

// Empties the line; the report it goes to stays.
void ClearValueLine(IptcValueLine& line);
void AddToValueLine(IptcValueLine& line, char byte);
void AddTextToValueLine(IptcValueLine& line, const char* text);
// Adds CR LF, never split between two pieces.
void AddLineEndToValueLine(IptcValueLine& line);
// Appends what the line holds and clears it; lastByte is kept.
void FlushValueLine(IptcValueLine& line);

// Formats one value and appends it, line end included. value starts at the
// dataset's value and runs to the end of the IPTC data; length is the
// dataset's own length, which the caller has checked to fit in value.
void ShowIptcValue(Report& report, const IptcDatasetEntry& entry, ByteView value, uint16_t length);
