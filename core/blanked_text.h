// Raw bytes made safe to show as one run of text.
#pragma once

#include <string>

#include "core/byte_view.h"

// Every byte below 32 as a signed 8-bit number (control characters, zero
// bytes, line ends, and every byte from 0x80 up) becomes a blank.
std::string BlankControlBytes(ByteView bytes);

struct Report;

// Shows the bytes blanked in the report's current pane. With no sink to
// see them they are only counted, as the text would have been: the data
// forms read a packet of tens of kilobytes that no pane shows.
void AppendBlankedReport(Report& report, ByteView bytes);
