// The XMP display on a raw APP1 payload (namespace URI and packet).
#include "fuzz_support.h"
#include "app13/app13.h"
#include "xmp/xmp.h"
#include "report/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    JpegSegment segment = WrapAsSegment(0xE1, "", 0, data, size);
    SelectReportPane(analysis.report, ReportPane::IptcXmp);
    ShowXmpPacket(analysis, segment);
    return 0;
}
