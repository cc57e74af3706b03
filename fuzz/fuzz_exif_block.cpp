// The EXIF header, directory walker, GPS directory and thumbnail hand-off on
// a raw EXIF block (the bytes after "Exif\0\0", TIFF header first).
#include "exif/exif.h"
#include "fuzz_support.h"
#include "report/report.h"
#include "summary/summarize_image.h"
#include "thumbnail/thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginFuzzInput();
    JpegSegment segment = WrapAsSegment(0xE1, "Exif\0\0", 6, data, size);
    static ImageSummary summary;
    summary.segments = SegmentList{};
    ResetImageSummary(summary);
    SelectReportPane(ReportPane::Exif);
    DecodeExifHeader(summary, segment);
    DeriveSensorValues(summary);
    SelectReportPane(ReportPane::Jpeg);
    PrintSummaryLines(summary);
    ReleaseSegments(summary.segments);
    ReleaseCurrentThumbnail();
    return 0;
}
