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

struct ReaderRun {
    bool result = false;
    std::unique_ptr<ReportCapture> capture = std::make_unique<ReportCapture>();
    ImageSummary* summary = &capture->analysis.summary;
    std::string exifPane;
    std::string red;
};

// Reads bytes in memory through the segment reader, the Exif pane current.
ReaderRun ReadBytes(const std::vector<uint8_t>& bytes) {
    ReaderRun run;
    SelectReportPane(run.capture->report(), ReportPane::Exif);
    ByteSource source = MemorySource(MakeView(bytes));
    run.result = ReadJpegSegments(run.capture->analysis, source);
    run.exifPane = run.capture->Text(ReportPane::Exif);
    run.red = run.capture->RedText(ReportPane::Exif);
    return run;
}

const std::vector<uint8_t> kSoi = {0xFF, 0xD8};
const std::vector<uint8_t> kSos = {0xFF, 0xDA, 0x00, 0x02};

std::vector<uint8_t> Jpeg(std::initializer_list<std::vector<uint8_t>> segments) {
    std::vector<uint8_t> bytes = kSoi;
    for (const auto& segment : segments) bytes.insert(bytes.end(), segment.begin(), segment.end());
    return bytes;
}

std::vector<uint8_t> Fill(size_t count) { return std::vector<uint8_t>(count, 0xFF); }

}  // namespace

struct ReaderCase {
    const char* name;
    std::vector<uint8_t> bytes;
    int result;
    const char* exifPane;  // everything the reader shows
};

TEST(SegmentReader, OutcomesAndFatalLines) {
    const std::string sixteenFill = std::string(16, '\xFF');
    const ReaderCase cases[] = {
        {"start of scan at once", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, 1, ""},
        {"no start of image", {0xFF, 0xD9, 0xFF, 0xDA, 0x00, 0x02}, 0, ""},
        {"empty file", {}, 0, ""},
        {"one byte", {0xFF}, 0, ""},
        {"end of image without length", {0xFF, 0xD8, 0xFF, 0xD9}, 0, "Fatal Error  : invalid marker\r\n"},
        {"end of image with length", {0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, 0, "Fatal Error  : No image in jpeg!\r\n"},
        {"16 fill bytes", Concat({kSoi, Fill(15), kSos}), 1, ""},
        {"17 fill bytes", Concat({kSoi, Fill(16), kSos}), 0, "Fatal Error  : too many padding bytes\r\n"},
        {"stray byte taken as marker", Concat({kSoi, {0xE0, 0x00, 0x04, 0x01, 0x02}, kSos}), 1, ""},
        {"ends before marker", {0xFF, 0xD8, 0xFF}, 0, "Fatal Error  : invalid marker\r\n"},
        {"ends before length", {0xFF, 0xD8, 0xFF, 0xE1}, 0, "Fatal Error  : invalid marker\r\n"},
        {"ends inside length", {0xFF, 0xD8, 0xFF, 0xE1, 0x00}, 0, "Fatal Error  : invalid marker\r\n"},
        {"length 1", {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01}, 0, "Fatal Error  : invalid marker\r\n"},
        {"length 0", {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x00}, 0, "Fatal Error  : invalid marker\r\n"},
        {"ends before payload", {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10}, 0, "Fatal Error  : Premature end of file?\r\n"},
        {"ends inside payload", {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x05, 'a', 'b'}, 0,
         "Fatal Error  : Premature end of file?\r\n"},
        {"high length byte then end", {0xFF, 0xD8, 0xFF, 0xFE, 0x01}, 0, "Fatal Error  : invalid marker\r\n"},
        {"high APP0 length byte then end", {0xFF, 0xD8, 0xFF, 0xE0, 0x05}, 0, "Fatal Error  : invalid marker\r\n"},
        {"restart marker read with a length", Concat({kSoi, {0xFF, 0xD0, 0x00, 0x02}, kSos}), 1, ""},
        {"no end after segments", Concat({kSoi, Segment(0xE0, Bytes("JFIF"))}), 0, "Fatal Error  : invalid marker\r\n"},
    };
    for (const ReaderCase& c : cases) {
        ReaderRun run = ReadBytes(c.bytes);
        EXPECT_EQ(run.result, c.result) << c.name;
        EXPECT_EQ(run.exifPane, c.exifPane) << c.name;
        EXPECT_EQ(run.red, c.exifPane) << c.name << ": every line the reader shows here is an error";
        EXPECT_EQ(run.capture->analysis.segments.count, 0) << c.name;
    }
}

TEST(SegmentReader, KeepsExifXmpAndPhotoshopSegmentsOnly) {
    std::vector<uint8_t> exif = Segment(0xE1, Bytes(std::string("Exif\0\0II", 8)));
    std::vector<uint8_t> xmp = Segment(0xE1, Bytes(std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 34)));
    std::vector<uint8_t> photoshop = Segment(0xED, Bytes("Photoshop 3.0"));
    ReaderRun run = ReadBytes(Jpeg({Segment(0xE0, Bytes("JFIF")), exif, Segment(0xE1, Bytes("http/no colon")),
                                    Segment(0xE1, Bytes("Exi")), Segment(0xE2, Bytes("ICC_PROFILE")), xmp,
                                    Segment(0xDB, Bytes("table")), photoshop, kSos}));
    ASSERT_EQ(run.result, 1);
    const SegmentList& list = run.capture->analysis.segments;
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.entries[0].marker, 0xE1);
    EXPECT_EQ(list.entries[0].length, 10);
    EXPECT_EQ(list.entries[0].data, Concat({{0x00, 0x0A}, Bytes(std::string("Exif\0\0II", 8))}));
    EXPECT_EQ(list.entries[1].marker, 0xE1);
    EXPECT_EQ(list.entries[1].length, 36);
    EXPECT_EQ(list.entries[2].marker, 0xED);
    EXPECT_EQ(run.summary->xmpBytes, 36);
    EXPECT_EQ(run.summary->iptcBytes, 15);
    EXPECT_EQ(run.exifPane,
              "Image cotains XMP section, 36 bytes\r\n"
              "Image cotains IPTC section, 15 bytes\r\n");
    EXPECT_EQ(run.red, "");
}

TEST(SegmentReader, RepeatedSegmentsAreAllShownButOnlyTheFirstOfEachKindKept) {
    // Only the first of each kind is ever decoded; the rest are shown and
    // counted but not held, so memory does not grow with their number.
    std::vector<std::vector<uint8_t>> parts = {kSoi};
    for (int i = 0; i < 12; i++) {
        parts.push_back(Segment(0xED, std::vector<uint8_t>(10 + i, 'p')));
        parts.push_back(Segment(0xE1, Concat({Bytes("http:"), std::vector<uint8_t>(i, 'x')})));
        parts.push_back(Segment(0xE1, Concat({Bytes("Exif"), std::vector<uint8_t>(i + 1, 'e')})));
    }
    parts.push_back(kSos);
    std::vector<uint8_t> bytes;
    for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    ReaderRun run = ReadBytes(bytes);
    ASSERT_EQ(run.result, 1);
    const SegmentList& list = run.capture->analysis.segments;
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.entries[0].length, 12);  // the first APP13
    EXPECT_EQ(list.entries[1].length, 7);   // the first XMP
    EXPECT_EQ(list.entries[2].length, 7);   // the first EXIF
    EXPECT_EQ(run.summary->iptcBytes, 10 + 11 + 2);
    EXPECT_EQ(run.summary->xmpBytes, 5 + 11 + 2);
    size_t iptcLines = 0;
    for (size_t at = 0; (at = run.exifPane.find("IPTC section", at)) != std::string::npos; at++) iptcLines++;
    EXPECT_EQ(iptcLines, 12u);
}

TEST(SegmentReader, ListGrowsByHalfItsCapacity) {
    SegmentList list;
    list.entries.resize(5);
    list.capacity = 5;
    list.count = 5;
    list.entries[4].length = 99;
    const int32_t expected[] = {7, 10, 15, 22, 33, 49, 73, 109};
    for (int32_t capacity : expected) {
        ASSERT_TRUE(GrowSegmentList(list));
        EXPECT_EQ(list.capacity, capacity);
        EXPECT_EQ(list.entries.size(), static_cast<size_t>(capacity));
    }
    EXPECT_EQ(list.entries[4].length, 99) << "entries in use are kept";
    EXPECT_EQ(list.count, 5);
}

TEST(SegmentReader, FrameHeaderSetsSizeAndColour) {
    struct FrameCase {
        unsigned marker;
        std::vector<uint8_t> payload;
        int width, height, colour;
    };
    const FrameCase cases[] = {
        {0xC0, {8, 0x01, 0xE0, 0x02, 0x80, 3}, 640, 480, 1},
        {0xC2, {8, 0x01, 0xE0, 0x02, 0x80, 1}, 640, 480, 0},
        {0xCF, {8, 0x00, 0x10, 0x00, 0x20, 4}, 32, 16, 0},
        {0xC4, {8, 0x01, 0xE0, 0x02, 0x80, 3}, 0, 0, 0},  // DHT is no frame header
        {0xC8, {8, 0x01, 0xE0, 0x02, 0x80, 3}, 0, 0, 0},  // nor is JPG
        // A short frame header records only the fields it holds.
        {0xC0, {8, 0x01, 0xE0, 0x02}, 0, 480, 0},
        {0xC0, {8, 0x01, 0xE0, 0x02, 0x80}, 640, 480, 0},
        {0xC0, {}, 0, 0, 0},
    };
    for (const FrameCase& c : cases) {
        ReaderRun run = ReadBytes(Jpeg({Segment(c.marker, c.payload), kSos}));
        ASSERT_EQ(run.result, 1);
        EXPECT_EQ(run.summary->pixelWidth, c.width) << std::hex << c.marker;
        EXPECT_EQ(run.summary->pixelHeight, c.height) << std::hex << c.marker;
        EXPECT_EQ(run.summary->colourImage, c.colour) << std::hex << c.marker;
        EXPECT_EQ(run.exifPane, "");
    }
}

TEST(SegmentReader, CommentIsCleaned) {
    struct CommentCase {
        std::string payload;
        std::string comment;
    };
    const CommentCase cases[] = {
        {std::string("ab\r\nx\ty\x01", 8), "abx y?"},
        {"one\rtwo", "one?two"},
        {std::string("cut\0here", 8), "cut"},
        {"", ""},
        {"\n\n", ""},
        {"ends with CR\r", "ends with CR?"},
        {"\xE6\x97\xA5\xFF", "\xE6\x97\xA5\xFF"},
    };
    for (const CommentCase& c : cases) {
        ReaderRun run = ReadBytes(Jpeg({Segment(0xFE, Bytes(c.payload)), kSos}));
        ASSERT_EQ(run.result, 1);
        EXPECT_EQ(std::string(run.summary->commentText), c.comment) << c.payload;
    }
}

TEST(SegmentReader, LaterCommentReplacesEarlierAndLongCommentKeeps1998Bytes) {
    ReaderRun replaced = ReadBytes(Jpeg({Segment(0xFE, Bytes("first")), Segment(0xFE, Bytes("2nd")), kSos}));
    EXPECT_EQ(std::string(replaced.summary->commentText), "2nd");
    ReaderRun emptied = ReadBytes(Jpeg({Segment(0xFE, Bytes("first")), Segment(0xFE, {}), kSos}));
    EXPECT_EQ(std::string(emptied.summary->commentText), "");

    std::string longText;
    for (int i = 0; i < 3000; i++) longText += static_cast<char>('a' + i % 26);
    ReaderRun run = ReadBytes(Jpeg({Segment(0xFE, Bytes(longText)), kSos}));
    EXPECT_EQ(std::string(run.summary->commentText), longText.substr(0, 1998));
}

TEST(SegmentReader, NothingAfterTheStartOfScanIsRead) {
    std::vector<uint8_t> afterScan = Concat({{0x12, 0x34, 0xFF, 0xD9}, Segment(0xE1, Bytes("Exif\0\0")),
                                             Segment(0xED, Bytes("Photoshop 3.0"))});
    ReaderRun run = ReadBytes(Concat({Jpeg({Segment(0xC0, {8, 0, 2, 0, 3, 3}), kSos}), afterScan}));
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(run.capture->analysis.segments.count, 0);
    EXPECT_EQ(run.summary->iptcBytes, 0);
    EXPECT_EQ(run.exifPane, "");
}

TEST(SegmentReader, SegmentsKeptBeforeAFailureStayInTheList) {
    ReaderRun run = ReadBytes(Jpeg({Segment(0xE1, Bytes("Exif\0\0")), {0xFF, 0xFE, 0x00, 0x09, 'x'}}));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.capture->analysis.segments.count, 1);
    EXPECT_EQ(run.exifPane, "Fatal Error  : Premature end of file?\r\n");
}
