// The entry points of one file's analysis and the dispatch of its kept
// segments to the decoders.
#include "analyze/analyze_file.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "analyze/analyze_container.h"
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

constexpr size_t kReadBufferBytes = 16384;
constexpr char kNotJpeg[] = "not-jpeg";

void StoreFacts(ImageSummary& summary, const char* name, const SourceFacts& facts) {
    summary.sourcePath = name;
    summary.fileLengthKnown = facts.sizeKnown;
    summary.fileLength = facts.size;
    summary.modifiedTimeKnown = facts.modifiedTimeKnown;
    summary.modifiedTime = facts.modifiedTime;
}

// Whether the source starts as a JPEG does (or is empty): such a file keeps
// the JPEG reader's road, its refusal included. The byte is only looked at.
bool StartsAsJpeg(ByteSource& source) {
    if (source.stream == nullptr) {
        return source.position >= source.memory.size || source.memory.data[source.position] == 0xFF;
    }
    const int first = std::getc(source.stream);
    if (first == EOF) return true;
    std::ungetc(first, source.stream);
    return first == 0xFF;
}

// Decodes the metadata segments of a file that ended before its image data,
// for the data forms only: the panes and the thumbnail stay as they were,
// and the record tells where the file ends.
void DecodeWhatArrived(Analysis& analysis) {
    Report& report = analysis.report;
    ReportSink* sink = report.sink;
    const ReportPane pane = report.currentPane;
    report.sink = nullptr;
    RunDecoders(analysis);
    report.sink = sink;
    SelectReportPane(report, pane);
    ReleaseThumbnail(analysis.thumbnail);
    const ImageSummary& summary = analysis.summary;
    std::string where = "File ends before its image data";
    if (summary.fileLengthKnown) where = FormatText("File ends at byte %llu, before its image data",
                                                    static_cast<unsigned long long>(summary.fileLength));
    report.lines.push_back(ReportedLine{ReportPane::Jpeg, true, where, "truncated", std::string()});
}

// Reads the segments and, when the source is a readable JPEG, decodes them;
// any other file goes to its container's reader.
// stream: the file read, whose error flag tells a failed read from bytes
// that are no JPEG; nullptr for memory.
bool ReadAndDecode(Analysis& analysis, ByteSource& source, const char* name, FILE* stream) {
    errno = 0;
    if (!StartsAsJpeg(source)) return ReadAndDecodeContainer(analysis, source, name);
    if (ReadJpegSegments(analysis, source)) {
        analysis.summary.fileType = FileType::Jpeg;
        RunDecoders(analysis);
        return true;
    }
    Report& report = analysis.report;
    if (stream != nullptr && std::ferror(stream)) {
        const int error = errno;
        ReportErrorLine(report, "Read error: %s\r\n", name);
        MarkLastLine(report, "read-error", error != 0 ? std::strerror(error) : "");
        return false;
    }
    if (analysis.endedEarly) MarkLastLine(report, "truncated");
    ReportErrorLine(report, "Not JPEG: %s\r\n", name);
    MarkLastLine(report, kNotJpeg);
    if (!analysis.endedEarly || analysis.segments.count == 0 || !analysis.decodeForData) return false;
    // The panes have shown what they always show; as data, the file is what
    // was decoded, and where it ends.
    if (!report.lines.empty() && report.lines.back().code == kNotJpeg) report.lines.pop_back();
    DecodeWhatArrived(analysis);
    return true;
}

bool AnalyzeOpenedPath(Analysis& analysis, const char* path) {
    Report& report = analysis.report;
    SelectReportPane(report, ReportPane::Exif);
    if (analysis.longestPathBytes > 0 && std::strlen(path) > analysis.longestPathBytes) {
        ReportFatal(report, "filename too long\r\n");
        MarkLastLine(report, "path-too-long");
        return false;
    }
    FileFacts fileFacts;
    errno = 0;
    FILE* file = OpenFileWithFacts(path, &fileFacts);
    const int openError = errno;
    // Only a failed open asks the path again, to tell a missing file from
    // one that cannot be opened.
    if (file == nullptr) fileFacts = QueryFileFacts(path);
    if (!fileFacts.exists || fileFacts.isFolder) {
        if (file != nullptr) std::fclose(file);
        ReportFatal(report, "No such file\r\n");
        MarkLastLine(report, "no-such-file");
        return false;
    }
    SourceFacts facts;
    facts.sizeKnown = true;
    facts.size = fileFacts.size;
    facts.modifiedTimeKnown = true;
    facts.modifiedTime = fileFacts.lastWriteTime;
    StoreFacts(analysis.summary, path, facts);

    if (file == nullptr) {
        // The whole path is shown, however long: not an error colour.
        ReportMessage(report, "can't open '%s'\r\n", path);
        MarkLastLine(report, "open-failed", openError != 0 ? std::strerror(openError) : "");
        return false;
    }
    // A buffer of our own, large enough for the segments before the image
    // data of most camera files: one read instead of three, and the C
    // library need not ask the system for the file's block size first.
    char readBuffer[kReadBufferBytes];
    std::setvbuf(file, readBuffer, _IOFBF, sizeof readBuffer);
    ByteSource source = StreamSource(file);
    const bool reached = ReadAndDecode(analysis, source, path, file);
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
    return FinishFile(analysis, ReadAndDecode(analysis, source, displayName, stream));
}

bool AnalyzeBytes(Analysis& analysis, ByteView bytes, const char* displayName, const SourceFacts& facts) {
    BeginFileAnalysis(analysis);
    SelectReportPane(analysis.report, ReportPane::Exif);
    SourceFacts known = facts;
    known.sizeKnown = true;
    known.size = bytes.size;
    StoreFacts(analysis.summary, displayName, known);
    ByteSource source = MemorySource(bytes);
    return FinishFile(analysis, ReadAndDecode(analysis, source, displayName, nullptr));
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
    if (analysis.decodeForData) DecodeJpegXmp(analysis);

    SelectReportPane(report, ReportPane::Exif);
    if (const JpegSegment* exif = FindSegment(segments, kMarkerApp1, "Exif")) DecodeExifBlock(analysis, *exif);

    DeriveSensorValues(analysis.summary);
    SelectReportPane(report, ReportPane::Jpeg);
    PrintSummaryLines(report, analysis.summary);
}
