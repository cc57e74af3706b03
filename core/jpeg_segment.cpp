// The kept segments' list: its start, growth and release.
#include "core/jpeg_segment.h"

#include <algorithm>
#include <new>

void StartSegmentList(SegmentList& list) {
    list.entries.clear();
    list.entries.resize(5);
    list.capacity = 5;
    list.count = 0;
}

bool GrowSegmentList(SegmentList& list) {
    int32_t grown = list.capacity + list.capacity / 2;
    if (grown <= list.capacity) grown = list.capacity + 1;
    try {
        list.entries.resize(static_cast<size_t>(grown));
    } catch (const std::bad_alloc&) {
        return false;
    }
    list.capacity = grown;
    return true;
}

void ReleaseSegments(SegmentList& list) {
    list.entries.clear();
    list.entries.shrink_to_fit();
    list.capacity = 0;
    list.count = 0;
}

ByteView SegmentView(const JpegSegment& segment) {
    const size_t length = segment.length > 0 ? static_cast<size_t>(segment.length) : 0;
    return MakeView(segment.data.data(), std::min(length, segment.data.size()));
}
