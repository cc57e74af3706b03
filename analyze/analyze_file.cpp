// The entry points of one file's analysis and the dispatch of its kept
// segments to the decoders.
#include "analyze/analyze_file.h"

#include <cstring>

#include "exif/exif.h"
#include "app13/app13.h"
#include "xmp/xmp.h"
#include "core/byte_source.h"
#include "core/file_facts.h"
#include "core/jpeg_markers.h"
#include "jpeg/segment_reader.h"
#include "report/report.h"
#include "summary/summarize_image.h"

namespace {

constexpr size_t kMaxPathBytes = 259;
constexpr size_t kReadBufferBytes = 16384;

void StoreFacts(ImageSummary& summary, const char* name, const SourceFacts& facts) {
    summary.sourcePath = name;
    summary.fileLengthKnown = facts.sizeKnown;
    summary.fileLength = facts.size;
    summary.modifiedTimeKnown = facts.modifiedTimeKnown;
    summary.modifiedTime = facts.modifiedTime;
}

// Reads the segments and, when the source is a readable JPEG, decodes them.
bool ReadAndDecode(Analysis& analysis, ByteSource& source, const char* name) {
    if (!ReadJpegSegments(analysis, source)) {
        ReportErrorLine(analysis.report, "Not JPEG: %s\r\n", name);
        return false;
    }
    RunDecoders(analysis);
    return true;
}

bool AnalyzeOpenedPath(Analysis& analysis, const char* path) {
    Report& report = analysis.report;
    SelectReportPane(report, ReportPane::Exif);
    if (std::strlen(path) > kMaxPathBytes) {
        ReportFatal(report, "filename too long\r\n");
        return false;
    }
    FileFacts fileFacts = QueryFileFacts(path);
    if (!fileFacts.exists || fileFacts.isFolder) {
        ReportFatal(report, "No such file\r\n");
        return false;
    }
    SourceFacts facts;
    facts.sizeKnown = true;
    facts.size = fileFacts.size;
    facts.modifiedTimeKnown = true;
    facts.modifiedTime = fileFacts.lastWriteTime;
    StoreFacts(analysis.summary, path, facts);

    FILE* file = OpenFileForReading(path);
    if (file == nullptr) {
        // The whole path is shown, however long: not an error colour.
        ReportMessage(report, "can't open '%s'\r\n", path);
        return false;
    }
    // A buffer of our own, large enough for the segments before the image
    // data of most camera files: one read instead of three, and the C
    // library need not ask the system for the file's block size first.
    char readBuffer[kReadBufferBytes];
    std::setvbuf(file, readBuffer, _IOFBF, sizeof readBuffer);
    ByteSource source = StreamSource(file);
    const bool reached = ReadAndDecode(analysis, source, path);
    std::fclose(file);
    return reached;
}

// The end of every entry: the segments go, the outcome is kept.
bool FinishFile(Analysis& analysis, bool reached) {
    ReleaseSegments(analysis.segments);
    analysis.reachedSummary = reached;
    return reached;
}

// The first kept segment with this marker whose payload begins with prefix.
const JpegSegment* FindSegment(const SegmentList& list, int marker, const char* prefix) {
    size_t prefixLength = std::strlen(prefix);
    for (int32_t i = 0; i < list.count; i++) {
        const JpegSegment& segment = list.entries[static_cast<size_t>(i)];
        if (segment.marker != marker) continue;
        if (ViewMatches(MakeView(segment.data), 2, prefix, prefixLength)) return &segment;
    }
    return nullptr;
}

}  // namespace

bool AnalyzeFile(Analysis& analysis, const char* path) {
    BeginFileAnalysis(analysis);
    return FinishFile(analysis, AnalyzeOpenedPath(analysis, path));
}

bool AnalyzeStream(Analysis& analysis, FILE* stream, const char* displayName, const SourceFacts& facts) {
    BeginFileAnalysis(analysis);
    SelectReportPane(analysis.report, ReportPane::Exif);
    StoreFacts(analysis.summary, displayName, facts);
    ByteSource source = StreamSource(stream);
    return FinishFile(analysis, ReadAndDecode(analysis, source, displayName));
}

bool AnalyzeBytes(Analysis& analysis, ByteView bytes, const char* displayName, const SourceFacts& facts) {
    BeginFileAnalysis(analysis);
    SelectReportPane(analysis.report, ReportPane::Exif);
    SourceFacts known = facts;
    known.sizeKnown = true;
    known.size = bytes.size;
    StoreFacts(analysis.summary, displayName, known);
    ByteSource source = MemorySource(bytes);
    return FinishFile(analysis, ReadAndDecode(analysis, source, displayName));
}

void RunDecoders(Analysis& analysis) {
    Report& report = analysis.report;
    const SegmentList& segments = analysis.segments;
    SelectReportPane(report, ReportPane::IptcXmp);
    for (int32_t i = 0; i < segments.count; i++) {
        const JpegSegment& segment = segments.entries[static_cast<size_t>(i)];
        if (segment.marker == kMarkerApp13) {
            DecodePhotoshopResources(analysis, segment);
            break;
        }
    }
    if (const JpegSegment* xmp = FindSegment(segments, kMarkerApp1, "http:")) ShowXmpPacket(analysis, *xmp);

    SelectReportPane(report, ReportPane::Exif);
    if (const JpegSegment* exif = FindSegment(segments, kMarkerApp1, "Exif")) DecodeExifBlock(analysis, *exif);

    DeriveSensorValues(analysis.summary);
    SelectReportPane(report, ReportPane::Jpeg);
    PrintSummaryLines(report, analysis.summary);
}
