// The summary record's reset, the segment list and the text copies into it.
#include "core/image_summary.h"

#include <algorithm>
#include <new>

void ResetImageSummary(ImageSummary& summary) {
    // Value-initialising the record zeroes every number and text; the
    // segment list is its only owning member and starts with room for 5.
    summary = ImageSummary{};
    summary.flashCode = -1;
    summary.whiteBalanceCode = -1;
    summary.meteringCode = -1;
    summary.segments.entries.resize(5);
    summary.segments.capacity = 5;
}

int GrowSegmentList(SegmentList& list) {
    int32_t grown = list.capacity + list.capacity / 2;
    if (grown <= list.capacity) grown = list.capacity + 1;
    try {
        list.entries.resize(static_cast<size_t>(grown));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    list.capacity = grown;
    return 1;
}

void ReleaseSegments(SegmentList& list) {
    list.entries.clear();
    list.entries.shrink_to_fit();
    list.capacity = 0;
    list.count = 0;
}

void CopyTextField(char* target, size_t capacity, ByteView source, size_t maxCount) {
    if (capacity == 0) return;
    size_t limit = maxCount < capacity - 1 ? maxCount : capacity - 1;
    if (limit > source.size) limit = source.size;
    size_t i = 0;
    for (; i < limit && source.data[i] != 0; i++) target[i] = static_cast<char>(source.data[i]);
    target[i] = '\0';
}

ByteView SegmentView(const JpegSegment& segment) {
    const size_t length = segment.length > 0 ? static_cast<size_t>(segment.length) : 0;
    return MakeView(segment.data.data(), std::min(length, segment.data.size()));
}
