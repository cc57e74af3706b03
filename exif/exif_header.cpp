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

// The segment's bytes as far as its length field counts them.
ByteView SegmentView(const JpegSegment& segment) {
    ByteView view = MakeView(segment.data);
    if (segment.length >= 0 && static_cast<size_t>(segment.length) < view.size) {
        view.size = static_cast<size_t>(segment.length);
    }
    return view;
}

}  // namespace

void DecodeExifHeader(ImageSummary& summary, const JpegSegment& segment) {
    AppendReportFormat("Exif header %d bytes\r\n", segment.length);
    const ByteView data = SegmentView(segment);
    // A segment too short for the signature and the TIFF header is no EXIF block.
    if (!ViewHas(data, 0, kHeaderBytes) || !ViewMatches(data, 2, "Exif\0\0", 6)) {
        ReportNonfatal("Incorrect Exif header\r\n", 0, 0);
        return;
    }
    if (ViewMatches(data, kTiffHeaderOffset, "II", 2)) {
        AppendReport("Exif section in Intel order\r\n");
        summary.bigEndian = 0;
    } else if (ViewMatches(data, kTiffHeaderOffset, "MM", 2)) {
        AppendReport("Exif section in Motorola order\r\n");
        summary.bigEndian = 1;
    } else {
        ReportNonfatal("Invalid Exif alignment marker.\r\n", 0, 0);
        return;
    }
    if (ReadU16(data, 10, summary.bigEndian) != kTiffMagic) {
        ReportNonfatal("Invalid Exif start(1)\r\n", 0, 0);
        return;
    }
    const int32_t firstOffset = ReadS32(data, 12, summary.bigEndian);
    if (firstOffset < kLowestUsualFirstOffset || firstOffset > kHighestUsualFirstOffset) {
        // Unusual but not fatal: the walk starts there all the same.
        ReportNonfatal("Suspicious offset of first IFD value\r\n", 0, 0);
    }
    const ByteView block = TailView(data, kTiffHeaderOffset);
    WalkExifDirectory(summary, block, firstOffset, 0);
    AppendReportFormat("Map: %05d - End of exif\r\n", static_cast<int>(block.size));
}
