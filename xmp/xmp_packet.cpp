// The XMP packet of an APP1 segment, shown as one run of text.
#include <cstring>

#include "core/blanked_text.h"
#include "xmp/xmp.h"
#include "report/report.h"

void ShowXmpPacket(Analysis& analysis, const JpegSegment& segment) {
    AppendReportFormat(analysis.report, " == == == == XMP  data: == == == == %d bytes\r\n", segment.length);
    // The payload follows the two length bytes. It starts with the
    // namespace identifier and its zero byte, shown as a blank; the packet's
    // line ends become blanks too, so it is one long line with no line end.
    const ByteView payload = TailView(SegmentView(segment), 2);
    AppendBlankedReport(analysis.report, payload);
    // The data keeps the packet itself.
    const ByteView packet = XmpPacketOf(payload);
    analysis.decoded.hasXmp = true;
    analysis.decoded.xmpPacket.assign(reinterpret_cast<const char*>(packet.data), packet.size);
}

ByteView XmpPacketOf(ByteView payload) {
    const void* zero = payload.size > 0 ? std::memchr(payload.data, 0, payload.size) : nullptr;
    if (zero == nullptr) return payload;
    return TailView(payload, static_cast<const uint8_t*>(zero) - payload.data + 1);
}
