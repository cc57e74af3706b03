// A TIFF-structured file walked as its own EXIF block: the block is the
// file from its first byte, so the map's offsets are the file's.
#include "exif/exif.h"

#include "exif/directory_walker.h"
#include "report/report.h"

void DecodeTiffStructure(Analysis& analysis, ByteView file, uint64_t fileSize, bool bigEndian,
                         uint32_t firstDirectory) {
    Report& report = analysis.report;
    ReportMessage(report, "TIFF structure of the file: %llu bytes, the map covers the file\r\n",
                  static_cast<unsigned long long>(fileSize));
    ReportMessage(report, bigEndian ? "Exif section in Motorola order\r\n" : "Exif section in Intel order\r\n");
    analysis.summary.bigEndian = bigEndian ? 1 : 0;
    ExifWalk walk = StartExifWalk(analysis, file);
    WalkExifDirectory(walk, firstDirectory, 0, DirectoryKind::Ifd0);
    AppendReportFormat(report, "Map: %05llu - End of file\r\n", static_cast<unsigned long long>(fileSize));
}
