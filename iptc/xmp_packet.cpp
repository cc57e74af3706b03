#include <algorithm>

#include "iptc/blanked_text.h"
#include "iptc/iptc.h"
#include "report/report.h"

void ShowXmpPacket(const JpegSegment& segment) {
    AppendReportFormat(" == == == == XMP  data: == == == == %d bytes\r\n", segment.length);
    // The payload follows the two length bytes. It starts with the
    // namespace identifier and its zero byte, shown as a blank; the packet's
    // line ends become blanks too, so it is one long line with no line end.
    size_t length = segment.length > 2 ? static_cast<size_t>(segment.length) : 2;
    ByteView all = MakeView(segment.data.data(), std::min(length, segment.data.size()));
    AppendReportText(BlankControlBytes(TailView(all, 2)));
}
