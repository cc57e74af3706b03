#include <gtest/gtest.h>

#include "exif_block_builder.h"

namespace {

using namespace exif_test;

// A block with one empty directory right after the TIFF header.
std::vector<uint8_t> EmptyBlock(bool bigEndian) {
    ExifBlockBuilder block(bigEndian);
    block.Directory();
    return block.Tiff();
}

TEST(ExifHeader, BothByteOrdersWalkTheFirstDirectory) {
    struct Case {
        bool bigEndian;
        const char* orderLine;
    };
    for (const Case& c : {Case{false, "Exif section in Intel order"}, Case{true, "Exif section in Motorola order"}}) {
        ExifRun run(EmptyBlock(c.bigEndian));
        const std::vector<std::string> expected = {
            "Exif header 22 bytes",
            c.orderLine,
            "Map: 00008 - 00014: Directory(dir has 0 entries)",
            "Map: 00014 - End of exif",
        };
        EXPECT_EQ(run.Lines(), expected);
        EXPECT_EQ(run.Red(), "");
        EXPECT_EQ(run.summary.bigEndian, c.bigEndian ? 1 : 0);
    }
}

TEST(ExifHeader, FirstOffsetOutsideEightToSixteenIsSuspiciousButWalked) {
    struct Case {
        uint32_t firstOffset;
        bool suspicious;
    };
    for (const Case& c : {Case{7, true}, Case{8, false}, Case{16, false}, Case{17, true}}) {
        ByteBuilder b;  // header, then zero bytes: every offset tried finds a directory of 0 entries
        b.bigEndian = false;
        b.Text("II").U16(0x2A).U32(c.firstOffset).Repeat(0, 24);
        ExifRun run(b.bytes);
        EXPECT_EQ(run.Red(), c.suspicious ? "Nonfatal Error : Suspicious offset of first IFD value\r\n" : "")
            << c.firstOffset;
        char map[80];
        std::snprintf(map, sizeof map, "Map: %05u - %05u: Directory(dir has 0 entries)", c.firstOffset,
                      c.firstOffset + 6);
        EXPECT_TRUE(run.HasLine(map)) << c.firstOffset;
    }
}

TEST(ExifHeader, BrokenHeadersStopBeforeTheWalk) {
    struct Case {
        const char* name;
        std::vector<uint8_t> afterLength;  // segment data after its two length bytes
        const char* error;
        int32_t orderAfter;  // the marker is taken before the magic number is checked
    };
    const Case cases[] = {
        {"wrong signature", Bytes(std::string("Exig\0\0MM\0\x2a\0\0\0\x08", 14)), "Incorrect Exif header\r\n", 1},
        {"no zero bytes", Bytes(std::string("Exif\0xMM\0\x2a\0\0\0\x08", 14)), "Incorrect Exif header\r\n", 1},
        {"too short for the header", Bytes(std::string("Exif\0\0MM\0\x2a\0\0", 12)), "Incorrect Exif header\r\n", 1},
        {"mixed byte order", Bytes(std::string("Exif\0\0MI\0\x2a\0\0\0\x08", 14)), "Invalid Exif alignment marker.\r\n", 1},
        {"magic 0x2b", Bytes(std::string("Exif\0\0MM\0\x2b\0\0\0\x08", 14)), "Invalid Exif start(1)\r\n", 1},
        {"magic in the wrong order", Bytes(std::string("Exif\0\0II\0\x2a\x08\0\0\0", 14)), "Invalid Exif start(1)\r\n", 0},
    };
    for (const Case& c : cases) {
        ReportCapture capture;
        ImageSummary& summary = capture.analysis.summary;
        summary.bigEndian = 1;
        SelectReportPane(capture.report(), ReportPane::Exif);
        JpegSegment segment;
        ByteBuilder b;
        b.U16(static_cast<unsigned>(c.afterLength.size() + 2)).Append(c.afterLength);
        segment.data = b.bytes;
        segment.length = static_cast<int32_t>(b.bytes.size());
        DecodeExifBlock(capture.analysis, segment);
        const std::string error = std::string("Nonfatal Error : ") + c.error;
        EXPECT_EQ(capture.RedText(ReportPane::Exif), error) << c.name;
        EXPECT_EQ(capture.Text(ReportPane::Exif).find("Map:"), std::string::npos) << c.name;
        EXPECT_EQ(summary.bigEndian, c.orderAfter) << c.name;
    }
}

}  // namespace
