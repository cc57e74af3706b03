// The XMP display on a raw APP1 payload (namespace URI and packet).
#include "fuzz_support.h"
#include "iptc/iptc.h"
#include "report/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginFuzzInput();
    JpegSegment segment = WrapAsSegment(0xE1, "", 0, data, size);
    SelectReportPane(ReportPane::IptcXmp);
    ShowXmpPacket(segment);
    return 0;
}
