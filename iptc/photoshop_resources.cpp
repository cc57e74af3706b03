#include "iptc/iptc.h"

#include "report/report.h"

void DecodePhotoshopResources(const JpegSegment& segment) {
    AppendReportFormat(" == == == == IPTC data: == == == == %d bytes\r\n", segment.length);
}

int DecodeIptcRecords(ByteView data) {
    (void)data;
    return 1;
}
