// The EXIF header, directory walker, GPS directory and thumbnail hand-off on
// a raw EXIF block (the bytes after "Exif\0\0", TIFF header first).
#include "exif/exif.h"
#include "fuzz_support.h"
#include "report/report.h"
#include "summary/summarize_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    JpegSegment segment = WrapAsSegment(0xE1, "Exif\0\0", 6, data, size);
    SelectReportPane(analysis.report, ReportPane::Exif);
    DecodeExifBlock(analysis, segment);
    DeriveSensorValues(analysis.summary);
    SelectReportPane(analysis.report, ReportPane::Jpeg);
    PrintSummaryLines(analysis.report, analysis.summary);
    return 0;
}
