#include "exif/exif.h"

#include "report/report.h"

void DecodeExifHeader(ImageSummary& summary, const JpegSegment& segment) {
    (void)summary;
    AppendReportFormat("Exif header %d bytes\r\n", segment.length);
}
