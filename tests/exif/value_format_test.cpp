#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "exif/value_format.h"
#include "report/report.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

namespace {

TEST(ValueFormat, ReadsFollowTheByteOrder) {
    const std::vector<uint8_t> bytes = {0x01, 0x02, 0xFF, 0xFE};
    ByteView view = MakeView(bytes);
    EXPECT_EQ(ReadU16(view, 0, 1), 258);
    EXPECT_EQ(ReadU16(view, 0, 0), 513);
    EXPECT_EQ(ReadU16(view, 2, 1), 0xFFFE);
    EXPECT_EQ(ReadS32(view, 0, 1), 0x0102FFFE);
    EXPECT_EQ(ReadS32(view, 0, 0), static_cast<int32_t>(0xFEFF0201u));  // sign from the top byte
    EXPECT_EQ(ReadU16(view, 3, 1), 0) << "a read past the view yields 0";
    EXPECT_EQ(ReadS32(view, 1, 0), 0);
}

struct ListCase {
    const char* name;
    int format;
    std::vector<uint8_t> bytes;
    bool bigEndian;
    int64_t byteCount;
    const char* expected;
};

std::vector<uint8_t> Repeated(std::vector<uint8_t> unit, int times) {
    std::vector<uint8_t> all;
    for (int i = 0; i < times; i++) all.insert(all.end(), unit.begin(), unit.end());
    return all;
}

TEST(ValueFormat, ValueListsPrintEachFormat) {
    const float halfBits = 0.5f;
    std::vector<uint8_t> twoFloats(8);
    std::memcpy(twoFloats.data(), &halfBits, 4);  // little-endian host, as the file stores them
    std::memcpy(twoFloats.data() + 4, &halfBits, 4);
    const ListCase cases[] = {
        {"bytes", 1, {0x01, 0x0A, 0xFF}, true, 3, "01,0a,ff"},
        {"sbyte prints as hex", 6, {0xFF}, true, 1, "ff"},
        {"short motorola", 3, {0x01, 0x02}, true, 2, "258"},
        {"short intel", 3, {0x01, 0x02}, false, 2, "513"},
        {"sshort", 8, {0xFF, 0xFE}, true, 2, "-2"},
        {"long is unsigned", 4, {0xFF, 0xFF, 0xFF, 0xFF}, true, 4, "4294967295"},
        {"long of 2^31", 4, {0x80, 0, 0, 0}, true, 4, "2147483648"},
        {"slong is signed", 9, {0xFF, 0xFF, 0xFF, 0xFF}, true, 4, "-1"},
        {"rational", 5, {0, 0, 0, 72, 0, 0, 0, 1}, true, 8, "72/1"},
        {"rational zero denominator", 5, {72, 0, 0, 0, 0, 0, 0, 0}, false, 8, "72/0"},
        {"srational", 10, {0xFF, 0xFF, 0xFF, 0xFD, 0, 0, 0, 2}, true, 8, "-3/2"},
        {"two floats", 11, twoFloats, true, 8, "0.500000,0.500000"},
        {"double always intel", 12, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, true, 8, "1.500000"},
        {"short count 20 stops at 16", 3, Repeated({0, 7}, 20), true, 40,
         "7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,"},
        {"exactly 16 shorts, no trailing comma", 3, Repeated({0, 7}, 16), true, 32,
         "7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7"},
        {"zero byte count still shows one", 3, {0, 9, 0, 0}, true, 0, "9"},
    };
    for (const ListCase& c : cases) {
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        std::string text = "x=";
        AppendValueList(capture.report(), text, MakeView(c.bytes), c.bigEndian ? 1 : 0, c.format, c.byteCount);
        EXPECT_EQ(text, std::string("x=") + c.expected) << c.name;
        EXPECT_EQ(capture.Text(ReportPane::Exif), "") << c.name;
    }
}

TEST(ValueFormat, TextFormatsHaveNoListForm) {
    for (int format : {2, 7, 0, 13}) {
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        std::string text = "kept";
        const std::vector<uint8_t> bytes = {'a', 'b', 'c', 0};
        AppendValueList(capture.report(), text, MakeView(bytes), 1, format, 4);
        EXPECT_EQ(text, "kept");
        const std::string line = "Nonfatal Error : Unknown format " + std::to_string(format) + ":\r\n";
        EXPECT_EQ(capture.Text(ReportPane::Exif), line);
        EXPECT_EQ(capture.RedText(ReportPane::Exif), line);
    }
}

TEST(ValueFormat, HugeDoublesAreNeverCut) {
    ByteBuilder b;
    b.bigEndian = false;
    const double huge = 1e300;
    uint64_t bits = 0;
    std::memcpy(&bits, &huge, sizeof bits);
    for (int i = 0; i < 16; i++) b.U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
    std::string text;
    Report report;
    AppendValueList(report, text, MakeView(b.bytes), 1, 12, 128);
    char one[400];
    std::snprintf(one, sizeof one, "%f", huge);
    ASSERT_GT(text.size(), 2047u);
    EXPECT_EQ(text.size(), 16 * std::strlen(one) + 15);
    EXPECT_EQ(text.substr(text.size() - std::strlen(one)), one);
}

struct NumberCase {
    const char* name;
    int format;
    std::vector<uint8_t> bytes;
    bool bigEndian;
    double expected;
};

TEST(ValueFormat, FirstComponentAsNumber) {
    const NumberCase cases[] = {
        {"byte", 1, {0xFF}, true, 255},
        {"sbyte", 6, {0xFF}, true, -1},
        {"short", 3, {0x01, 0x02}, false, 513},
        {"sshort", 8, {0xFF, 0xFF}, true, -1},
        {"long unsigned", 4, {0xFF, 0xFF, 0xFF, 0xFF}, true, 4294967295.0},
        {"slong", 9, {0xFF, 0xFF, 0xFF, 0xFF}, false, -1},
        {"rational", 5, {0, 0, 0, 72, 0, 0, 0, 1}, true, 72},
        {"rational zero denominator", 5, {0, 0, 0, 72, 0, 0, 0, 0}, true, 0},
        {"srational", 10, {0xFD, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}, false, -1.5},
        {"rational parts are signed", 5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, true, 0.5},
        {"float intel in a motorola block", 11, {0, 0, 0xC0, 0x3F}, true, 1.5},
        {"double", 12, {0, 0, 0, 0, 0, 0, 0x04, 0xC0}, false, -2.5},
        {"rational cut short", 5, {0, 0, 0, 72}, true, 0},
    };
    for (const NumberCase& c : cases) {
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        EXPECT_DOUBLE_EQ(ValueAsDouble(capture.report(), c.format, MakeView(c.bytes), c.bigEndian ? 1 : 0), c.expected)
            << c.name;
        EXPECT_EQ(capture.Text(ReportPane::Exif), "") << c.name;
    }
}

TEST(ValueFormat, TextFormatsAreNotNumbers) {
    for (int format : {2, 7, 13}) {
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        const std::vector<uint8_t> bytes = {'1', '2', 0, 0};
        EXPECT_EQ(ValueAsDouble(capture.report(), format, MakeView(bytes), 0), 0);
        EXPECT_EQ(capture.RedText(ReportPane::Exif),
                  "Nonfatal Error : Illegal format code " + std::to_string(format) + "\r\n");
    }
}

TEST(ValueFormat, FormatSizesAndConversions) {
    const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    for (int format = 0; format <= 12; format++) EXPECT_EQ(FormatByteSize(format), sizes[format]) << format;
    EXPECT_EQ(FormatByteSize(13), 0);
    EXPECT_EQ(FormatByteSize(-1), 0);
    EXPECT_EQ(DoubleToInt32(4294967295.0), INT32_MAX);
    EXPECT_EQ(DoubleToInt32(-1e20), INT32_MIN);
    EXPECT_EQ(DoubleToInt32(-7.9), -7);
    EXPECT_EQ(DoubleToInt32(std::nan("")), 0);
    EXPECT_TRUE(std::isinf(DoubleToFloat(1e300)));
    EXPECT_FLOAT_EQ(DoubleToFloat(0.25), 0.25f);
}

}  // namespace
