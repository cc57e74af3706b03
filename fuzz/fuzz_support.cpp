#include "fuzz_support.h"

#include "report/pane_text_sink.h"
#include "report/report.h"

namespace {
constexpr size_t kMaxSegmentLength = 65535;
}  // namespace

Analysis& BeginFuzzInput() {
    static PaneTextSink sink;
    static Analysis analysis;
    sink.Clear();
    ResetAnalysis(analysis, &sink);
    return analysis;
}

JpegSegment WrapAsSegment(int marker, const char* prefix, size_t prefixLength, const uint8_t* data,
                          size_t size) {
    size_t room = kMaxSegmentLength - 2 - prefixLength;
    if (size > room) size = room;
    size_t length = 2 + prefixLength + size;
    JpegSegment segment;
    segment.marker = marker;
    segment.length = static_cast<int32_t>(length);
    segment.data.reserve(length);
    segment.data.push_back(static_cast<uint8_t>(length >> 8));
    segment.data.push_back(static_cast<uint8_t>(length & 0xFF));
    segment.data.insert(segment.data.end(), prefix, prefix + prefixLength);
    segment.data.insert(segment.data.end(), data, data + size);
    return segment;
}
