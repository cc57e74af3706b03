#include "jpeg/analyze_file.h"

#include <cstring>

#include "jpeg/file_facts.h"
#include "jpeg/image_summary.h"
#include "jpeg/segment_reader.h"
#include "report/report.h"
#include "summary/summarize_image.h"

namespace {

constexpr size_t kMaxPathBytes = 259;
constexpr size_t kReadBufferBytes = 16384;

int AnalyzeOpenedPath(ImageSummary& summary, const char* path) {
    SelectReportPane(ReportPane::Exif);
    if (std::strlen(path) > kMaxPathBytes) {
        ReportFatal("filename too long\r\n");
        return 0;
    }
    FileFacts facts = QueryFileFacts(path);
    if (!facts.exists || facts.isFolder) {
        ReportFatal("No such file\r\n");
        return 0;
    }
    summary.fileLength = facts.size;
    summary.modifiedTime = facts.lastWriteTime;
    std::strncpy(summary.sourcePath, path, sizeof summary.sourcePath - 1);

    summary.openFile = OpenFileForReading(path);
    if (summary.openFile == nullptr) {
        // The whole path is shown, however long: not an error colour.
        AppendReportFormat("can't open '%s'\r\n", path);
        return 0;
    }
    // A buffer of our own, large enough for the segments before the image
    // data of most camera files: one read instead of three, and the C
    // library need not ask the system for the file's block size first.
    char readBuffer[kReadBufferBytes];
    std::setvbuf(summary.openFile, readBuffer, _IOFBF, sizeof readBuffer);
    int readOk = ReadJpegSegments(summary);
    std::fclose(summary.openFile);
    summary.openFile = nullptr;
    if (!readOk) {
        SetReportColor(kColorRed);
        AppendReportFormat("Not JPEG: %s\r\n", path);
        SetReportColor(kColorBlack);
        return 0;
    }
    SummarizeImage(summary);
    return 1;
}

}  // namespace

int AnalyzeFile(const char* path) {
    // The record is large (its comment alone is 2 KB); one per call, released
    // with its segments on every path.
    static_assert(sizeof(ImageSummary) < 8192, "summary record fits the stack");
    ImageSummary summary;
    ResetImageSummary(summary);
    int result = AnalyzeOpenedPath(summary, path);
    ReleaseSegments(summary.segments);
    return result;
}
