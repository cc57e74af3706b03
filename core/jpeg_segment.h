// The marker segments a JPEG file's reader keeps for the block decoders:
// the APP1 EXIF and XMP segments and the APP13 segment, each as stored
// from its length field on.
#pragma once

#include <cstdint>
#include <vector>

#include "core/byte_view.h"

// One kept marker segment. data holds exactly length bytes: the two length
// bytes as read (high byte first), then the payload.
struct JpegSegment {
    std::vector<uint8_t> data;
    int32_t marker = 0;
    int32_t length = 0;
};

// The kept segments of one file, in file order. capacity grows 5, 7, 10,
// 15, 22, ... (by half) when an entry is added to a full list.
struct SegmentList {
    std::vector<JpegSegment> entries;  // entries.size() == capacity
    int32_t capacity = 0;
    int32_t count = 0;
};

// Gives an empty list room for 5 segments, as at the start of every file.
void StartSegmentList(SegmentList& list);
// Grows a full list by half its capacity (5, 7, 10, 15, ...).
// False when the memory could not be had.
bool GrowSegmentList(SegmentList& list);
void ReleaseSegments(SegmentList& list);

// A kept segment's bytes as far as its length field counts them, never
// more than it holds: the length bytes first, then the payload.
ByteView SegmentView(const JpegSegment& segment);

