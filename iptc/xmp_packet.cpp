#include "iptc/iptc.h"

#include "report/report.h"

void ShowXmpPacket(const JpegSegment& segment) {
    AppendReportFormat(" == == == == XMP  data: == == == == %d bytes\r\n", segment.length);
}
