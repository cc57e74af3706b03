// The XMP packet of APP1, shown in the current report pane and kept in the
// analysis's data, and its properties, kept as data.
#pragma once

#include "core/analysis.h"

void ShowXmpPacket(Analysis& analysis, const JpegSegment& segment);

// An APP1 XMP payload's packet: what follows its namespace name's zero byte.
ByteView XmpPacketOf(ByteView payload);

// The properties of a JPEG file's XMP: the first main packet among the kept
// segments, merged with the Extended XMP its xmpNote:HasExtendedXMP names.
// Shows nothing: what could not be read becomes a message of the data.
void DecodeJpegXmp(Analysis& analysis);

// The properties of one packet as a container stores it (UTF-8 or UTF-16,
// with or without a byte order mark), kept in data with the packet.
void DecodeXmpPacket(DecodedData& data, ByteView packet);

// The packet without the padding writers leave before its closing
// processing instruction, nor anything after that instruction.
std::string UnpaddedXmpPacket(const std::string& packet);
