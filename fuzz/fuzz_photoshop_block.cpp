// The Photoshop image resources and the IPTC datasets inside them, on a raw
// APP13 payload (signature included, as it stands in the file).
#include "fuzz_support.h"
#include "app13/app13.h"
#include "report/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    JpegSegment segment = WrapAsSegment(0xED, "", 0, data, size);
    SelectReportPane(analysis.report, ReportPane::IptcXmp);
    DecodePhotoshopResources(analysis, segment);
    return 0;
}
