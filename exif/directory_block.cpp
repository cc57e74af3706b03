// The Exif or GPS directory in a TIFF block of its own.
#include "exif/directory_block.h"

#include "exif/directory_walker.h"
#include "exif/gps_directory.h"
#include "report/report.h"

namespace {
constexpr uint16_t kTiffMagic = 0x2A;
}  // namespace

void DecodeDirectoryBlock(Analysis& analysis, ByteView block, DirectoryKind kind, const char* where) {
    Report& report = analysis.report;
    ImageSummary& summary = analysis.summary;
    ReportMessage(report, "%s directory block %llu bytes (%s)\r\n", DirectoryKindName(kind),
                  static_cast<unsigned long long>(block.size), where);
    uint16_t magic = 0;
    uint32_t firstOffset = 0;
    const bool bigEndian = ViewMatches(block, 0, "MM", 2);
    if ((!bigEndian && !ViewMatches(block, 0, "II", 2)) || !ReadU16At(block, 2, bigEndian, &magic) ||
        magic != kTiffMagic || !ReadU32At(block, 4, bigEndian, &firstOffset)) {
        ReportNonfatal(report, "Invalid TIFF header of the %s directory block\r\n", DirectoryKindName(kind));
        return;
    }
    summary.bigEndian = bigEndian ? 1 : 0;
    ExifWalk walk = StartExifWalk(analysis, block);
    if (kind == DirectoryKind::Gps) {
        DecodeGpsDirectory(walk, firstOffset, 1);
    } else {
        WalkExifDirectory(walk, firstOffset, 1, kind);
    }
    AppendReportFormat(report, "Map: %05d - End of the %s directory block\r\n", static_cast<int>(block.size),
                       DirectoryKindName(kind));
}
