// The reader reuses one block for the segments it drops, so a segment read
// after a longer one shares memory with the longer one's bytes: each must
// still be seen with its own length and its own bytes only.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/byte_source.h"
#include "core/image_summary.h"
#include "jpeg/segment_reader.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

namespace {

// The capture whose analysis read the bytes, with the reader's result.
std::unique_ptr<ReportCapture> ReadBytes(const std::vector<uint8_t>& bytes, int* result) {
    auto capture = std::make_unique<ReportCapture>();
    SelectReportPane(capture->report(), ReportPane::Exif);
    ByteSource source = MemorySource(MakeView(bytes));
    *result = ReadJpegSegments(capture->analysis, source);
    return capture;
}

const std::vector<uint8_t> kSoi = {0xFF, 0xD8};
const std::vector<uint8_t> kSos = {0xFF, 0xDA, 0x00, 0x02};

// A dropped segment of count bytes of payload, all of them value.
std::vector<uint8_t> LongTable(unsigned marker, size_t count, uint8_t value) {
    return Segment(marker, std::vector<uint8_t>(count, value));
}

}  // namespace

// Frame headers too short for every field, after a long table of 0x03
// bytes: the fields they do not hold stay as they were.
TEST(SegmentReaderReuse, ShortFrameHeaderDoesNotTakeFieldsFromAnEarlierSegment) {
    const struct {
        const char* name;
        std::vector<uint8_t> payload;
        int32_t height, width, colour;
    } cases[] = {
        {"precision only", {8}, 0, 0, 0},
        {"lines only", {8, 0x01, 0xE0}, 480, 0, 0},
        {"no component count", {8, 0x01, 0xE0, 0x02, 0x80}, 480, 640, 0},
        {"whole header", {8, 0x01, 0xE0, 0x02, 0x80, 0x03}, 480, 640, 1},
    };
    for (const auto& c : cases) {
        int result = 0;
        auto capture = ReadBytes(Concat({kSoi, LongTable(0xDB, 300, 0x03), Segment(0xC0, c.payload), kSos}), &result);
        EXPECT_EQ(result, 1) << c.name;
        EXPECT_EQ(capture->analysis.summary.pixelHeight, c.height) << c.name;
        EXPECT_EQ(capture->analysis.summary.pixelWidth, c.width) << c.name;
        EXPECT_EQ(capture->analysis.summary.colourImage, c.colour) << c.name;
    }
}

TEST(SegmentReaderReuse, CommentEndsWithItsOwnSegment) {
    const struct {
        const char* name;
        std::vector<uint8_t> before;
        std::string comment;
        const char* expected;
    } cases[] = {
        {"after a longer table", LongTable(0xC4, 500, 'Z'), "short", "short"},
        // The byte after the comment's last CR is an LF left by the table:
        // it is not the comment's, so the CR is a lone one.
        {"cr at the end, lf after it in the block", LongTable(0xDB, 100, '\n'), "ab\r", "ab?"},
        {"empty after a longer comment", Segment(0xFE, Bytes("a much longer first comment")), "", ""},
    };
    for (const auto& c : cases) {
        int result = 0;
        auto capture = ReadBytes(Concat({kSoi, c.before, Segment(0xFE, Bytes(c.comment)), kSos}), &result);
        EXPECT_EQ(result, 1) << c.name;
        EXPECT_STREQ(capture->analysis.summary.commentText, c.expected) << c.name;
    }
}

// Kept segments own exactly their length field and payload, whatever
// longer segments, kept or dropped, came before them.
TEST(SegmentReaderReuse, KeptSegmentsHoldExactlyTheirOwnBytes) {
    std::vector<uint8_t> exif = Segment(0xE1, Bytes(std::string("Exif\0\0MM", 8)));
    std::vector<uint8_t> photoshop = Segment(0xED, Bytes("Photoshop 3.0"));
    int result = 0;
    auto capture = ReadBytes(Concat({kSoi, LongTable(0xE2, 4000, 'i'), Segment(0xE1, std::vector<uint8_t>(3000, 'o')),
                                    exif, LongTable(0xDB, 2000, 'q'), photoshop, kSos}),
                            &result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(capture->analysis.segments.count, 2);
    const JpegSegment& keptExif = capture->analysis.segments.entries[0];
    const JpegSegment& keptPhotoshop = capture->analysis.segments.entries[1];
    EXPECT_EQ(keptExif.marker, 0xE1);
    EXPECT_EQ(keptExif.length, 10);
    EXPECT_EQ(keptExif.data, std::vector<uint8_t>(exif.begin() + 2, exif.end()));
    EXPECT_EQ(keptPhotoshop.marker, 0xED);
    EXPECT_EQ(keptPhotoshop.length, 15);
    EXPECT_EQ(keptPhotoshop.data, std::vector<uint8_t>(photoshop.begin() + 2, photoshop.end()));
}

// A payload cut short after a long segment is still a premature end: the
// room left over from the long one does not count as bytes read.
TEST(SegmentReaderReuse, TruncatedSegmentAfterALongerOneIsPrematureEnd) {
    std::vector<uint8_t> cut = Segment(0xDB, std::vector<uint8_t>(50, 't'));
    cut.resize(cut.size() - 10);
    int result = -1;
    auto capture = ReadBytes(Concat({kSoi, LongTable(0xC4, 400, 'h'), cut}), &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(capture->RedText(ReportPane::Exif), "Fatal Error  : Premature end of file?\r\n");
}
