// The EXIF block of an APP1 segment: its signature and TIFF header, then
// the walk of its directories from the first.
#include "exif/exif.h"

#include "exif/directory_walker.h"
#include "exif/value_format.h"
#include "report/report.h"

namespace {

// Segment data: 2 length bytes, "Exif", two zero bytes, then the TIFF header.
constexpr int64_t kTiffHeaderOffset = 8;
constexpr int64_t kHeaderBytes = 16;
constexpr uint16_t kTiffMagic = 0x2A;

// The first directory normally follows the 8-byte TIFF header at once.
constexpr int32_t kLowestUsualFirstOffset = 8;
constexpr int32_t kHighestUsualFirstOffset = 16;

}  // namespace

void DecodeExifBlock(Analysis& analysis, const JpegSegment& segment) {
    Report& report = analysis.report;
    ImageSummary& summary = analysis.summary;
    ReportMessage(report, "Exif header %d bytes\r\n", segment.length);
    const ByteView data = SegmentView(segment);
    // A segment too short for the signature and the TIFF header is no EXIF block.
    if (!ViewHas(data, 0, kHeaderBytes) || !ViewMatches(data, 2, "Exif\0\0", 6)) {
        ReportNonfatal(report, "Incorrect Exif header\r\n");
        return;
    }
    if (ViewMatches(data, kTiffHeaderOffset, "II", 2)) {
        ReportMessage(report, "Exif section in Intel order\r\n");
        summary.bigEndian = 0;
    } else if (ViewMatches(data, kTiffHeaderOffset, "MM", 2)) {
        ReportMessage(report, "Exif section in Motorola order\r\n");
        summary.bigEndian = 1;
    } else {
        ReportNonfatal(report, "Invalid Exif alignment marker.\r\n");
        return;
    }
    if (ReadU16(data, 10, summary.bigEndian) != kTiffMagic) {
        ReportNonfatal(report, "Invalid Exif start(1)\r\n");
        return;
    }
    const int32_t firstOffset = ReadS32(data, 12, summary.bigEndian);
    if (firstOffset < kLowestUsualFirstOffset || firstOffset > kHighestUsualFirstOffset) {
        // Unusual but not fatal: the walk starts there all the same.
        ReportNonfatal(report, "Suspicious offset of first IFD value\r\n");
    }
    const ByteView block = TailView(data, kTiffHeaderOffset);
    // The budget of what the walk may show is the walk's own.
    ExifWalk walk = StartExifWalk(analysis, block);
    WalkExifDirectory(walk, firstOffset, 0, DirectoryKind::Ifd0);
    AppendReportFormat(report, "Map: %05d - End of exif\r\n", static_cast<int>(block.size));
}
