// The segment reader: from the start-of-image marker to the first start of
// scan, keeping the segments the decoders read.
#include "jpeg/segment_reader.h"

#include <cassert>
#include <cstring>
#include <new>

#include "core/jpeg_markers.h"
#include "report/report.h"

namespace {

constexpr int kMaxPaddingBytes = 16;
constexpr int kMaxCommentBlock = 2000;

// A segment whose bytes nothing looks at is stepped over rather than read
// when it is longer than the file's read buffer: an ICC profile can fill
// dozens of 64 KB segments before the image.
constexpr size_t kLongestCopiedUnreadPayload = 16 * 1024;

enum class SegmentKind { Other, Exif, Xmp, Photoshop };

// The frame header: lines at payload bytes 1-2, samples per line at 3-4,
// component count at 5. A short header records only the fields it holds.
void RecordFrame(ImageSummary& summary, ByteView block) {
    uint16_t value = 0;
    if (ReadU16At(block, 3, true, &value)) summary.pixelHeight = value;
    if (ReadU16At(block, 5, true, &value)) summary.pixelWidth = value;
    uint8_t components = 0;
    if (ReadU8(block, 7, &components)) summary.colourImage = components == 3 ? 1 : 0;
}

// COM: at most block positions 2 to 1999 are looked at. A zero byte ends
// the comment; CR LF becomes a line feed's absence, lone CR and other
// controls become '?', TAB a blank, LF is left out.
void RecordComment(ImageSummary& summary, ByteView block) {
    ByteView examined;
    SubView(block, 0, block.size < kMaxCommentBlock ? block.size : kMaxCommentBlock, &examined);
    size_t out = 0;
    uint8_t c = 0;
    for (int64_t i = 2; ReadU8(examined, i, &c); i++) {
        if (c == 0) break;
        if (c == '\r') {
            uint8_t next = 0;
            bool lineFeedFollows = ReadU8(block, i + 1, &next) && next == '\n';
            if (!lineFeedFollows) summary.commentText[out++] = '?';
        } else if (c == '\n') {
            continue;
        } else if (c == '\t') {
            summary.commentText[out++] = ' ';
        } else if (c < 0x20) {
            summary.commentText[out++] = '?';
        } else {
            summary.commentText[out++] = static_cast<char>(c);
        }
    }
    summary.commentText[out] = '\0';
}

SegmentKind KindOfApp1(ByteView block) {
    if (ViewMatches(block, 2, "Exif", 4)) return SegmentKind::Exif;
    if (ViewMatches(block, 2, "http:", 5)) return SegmentKind::Xmp;
    return SegmentKind::Other;
}

// Only the first segment of each kind is ever decoded, so only the first is
// kept: a file of thousands of metadata segments cannot make memory grow.
bool AlreadyKept(const SegmentList& list, SegmentKind kind) {
    for (int32_t i = 0; i < list.count; i++) {
        const JpegSegment& kept = list.entries[static_cast<size_t>(i)];
        if (kind == SegmentKind::Photoshop && kept.marker == kMarkerApp13) return true;
        if (kept.marker == kMarkerApp1 && KindOfApp1(MakeView(kept.data)) == kind) return true;
    }
    return false;
}

// The list takes over the block's memory, cut to this segment's length (the
// block may be longer from an earlier segment); the reader starts a new block.
void KeepSegment(SegmentList& list, int marker, std::vector<uint8_t>& block, int length) {
    // The reader grows a full list before it reads the next segment.
    assert(list.count < list.capacity && static_cast<size_t>(list.capacity) == list.entries.size());
    JpegSegment& entry = list.entries[static_cast<size_t>(list.count)];
    block.resize(static_cast<size_t>(length));
    entry.marker = marker;
    entry.length = length;
    entry.data = std::move(block);
    block = std::vector<uint8_t>();
    list.count++;
}

// Reads the byte after up to 16 fill bytes: the marker code, -1 at the end.
// Returns false (after the fatal line) on a 17th fill byte.
bool ReadMarkerCode(Report& report, ByteSource& source, int* marker) {
    int fillBytes = 0;
    for (;;) {
        int c = SourceByte(source);
        if (c != 0xFF) {
            *marker = c;
            return true;
        }
        if (++fillBytes > kMaxPaddingBytes) {
            ReportFatal(report, "too many padding bytes\r\n");
            return false;
        }
    }
}

// Every segment is read into one block that only grows, so the tables and
// image headers that are dropped at once cost no allocation and no clearing;
// a segment that is kept takes the block with it. Makes room for a segment of
// length bytes; false (after the fatal line) when the memory cannot be had.
bool ReserveBlock(Report& report, std::vector<uint8_t>& block, size_t length) {
    if (block.size() >= length) return true;
    try {
        block.resize(length);
    } catch (const std::bad_alloc&) {
        ReportFatal(report, "Could not allocate memory\r\n");
        return false;
    }
    return true;
}

// Frames, the image start and end, APP1, APP13 and comments are decoded or
// listed; every other segment is only read past.
bool ContentIsUsed(int marker) {
    return IsStartOfFrame(marker) || marker == kMarkerEoi || marker == kMarkerSos || marker == kMarkerApp1 ||
           marker == kMarkerApp13 || marker == kMarkerCom;
}

}  // namespace

bool ReadJpegSegments(Analysis& analysis, ByteSource& source) {
    Report& report = analysis.report;
    ImageSummary& summary = analysis.summary;
    SegmentList& list = analysis.segments;
    if (SourceByte(source) != 0xFF || SourceByte(source) != kMarkerSoi) return false;

    std::vector<uint8_t> block;
    for (;;) {
        if (list.count == list.capacity && !GrowSegmentList(list)) {
            ReportFatal(report, "could not allocate data for entire image\r\n");
            return false;
        }
        int marker = 0;
        if (!ReadMarkerCode(report, source, &marker)) return false;

        // The end of the file where either length byte is due makes the
        // length negative, whatever the byte before it was.
        int high = SourceByte(source);
        int low = SourceByte(source);
        int length = high == EOF || low == EOF ? -1 : high * 256 + low;
        if (length < 2) {
            analysis.endedEarly = length == -1;
            ReportFatal(report, "invalid marker\r\n");
            return false;
        }
        const size_t blockSize = static_cast<size_t>(length);
        size_t payload = blockSize - 2;
        if (!ContentIsUsed(marker) && payload > kLongestCopiedUnreadPayload) {
            StepOver step = SourceStepOver(source, payload);
            if (step == StepOver::SourceEnds) {
                analysis.endedEarly = true;
                ReportFatal(report, "Premature end of file?\r\n");
                return false;
            }
            if (step == StepOver::Done) continue;
        }
        if (!ReserveBlock(report, block, blockSize)) return false;
        block[0] = static_cast<uint8_t>(high);
        block[1] = static_cast<uint8_t>(low);
        if (SourceRead(source, block.data() + 2, payload) != payload) {
            analysis.endedEarly = true;
            ReportFatal(report, "Premature end of file?\r\n");
            return false;
        }

        // The block may be longer than this segment: look at this segment's
        // bytes alone.
        ByteView view;
        SubView(MakeView(block), 0, length, &view);
        if (IsStartOfFrame(marker)) {
            RecordFrame(summary, view);
        } else if (marker == kMarkerEoi) {
            ReportFatal(report, "No image in jpeg!\r\n");
            return false;
        } else if (marker == kMarkerSos) {
            return true;
        } else if (marker == kMarkerApp1) {
            SegmentKind kind = KindOfApp1(view);
            if (kind == SegmentKind::Xmp) {
                summary.xmpBytes = length;
                ReportMessage(report, "Image cotains XMP section, %d bytes\r\n", length);
            }
            if (kind != SegmentKind::Other && !AlreadyKept(list, kind)) KeepSegment(list, marker, block, length);
        } else if (marker == kMarkerApp13) {
            summary.iptcBytes = length;
            ReportMessage(report, "Image cotains IPTC section, %d bytes\r\n", length);
            if (!AlreadyKept(list, SegmentKind::Photoshop)) KeepSegment(list, marker, block, length);
        } else if (marker == kMarkerCom) {
            RecordComment(summary, view);
            // The data keeps the first comment whole, as stored.
            if (!analysis.decoded.hasComment) {
                analysis.decoded.hasComment = true;
                const ByteView payload = TailView(view, 2);
                analysis.decoded.comment.assign(reinterpret_cast<const char*>(payload.data), payload.size);
            }
        }
    }
}
