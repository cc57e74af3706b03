// The whole analysis of one file given as bytes: segment reader, every
// decoder, the summary lines, all report output.
#include <cstdio>

#include "fuzz_support.h"
#include "jpeg/segment_reader.h"
#include "report/report.h"
#include "summary/summarize_image.h"
#include "thumbnail/thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginFuzzInput();
    // fmemopen refuses an empty buffer; an empty file is read from a
    // one-byte buffer opened at its end instead.
    static uint8_t emptyFile[1];
    FILE* file = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : fmemopen(emptyFile, 1, "rb");
    if (file == nullptr) return 0;
    if (size == 0) std::fgetc(file);

    static ImageSummary summary;
    summary.segments = SegmentList{};
    ResetImageSummary(summary);
    std::snprintf(summary.sourcePath, sizeof summary.sourcePath, "fuzz.jpg");
    summary.fileLength = size;
    summary.openFile = file;
    SelectReportPane(ReportPane::Exif);
    int readOk = ReadJpegSegments(summary);
    std::fclose(file);
    summary.openFile = nullptr;
    if (readOk) SummarizeImage(summary);
    ReleaseSegments(summary.segments);
    ReleaseCurrentThumbnail();
    return 0;
}
