#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "exif_block_builder.h"

namespace {

using namespace exif_test;

const bool kBothOrders[] = {false, true};

std::string MapLine(int level, int64_t start, int64_t end, int entries) {
    char line[120];
    std::snprintf(line, sizeof line, "%*sMap: %05lld - %05lld: Directory(dir has %d entries)", 4 * level, "",
                  static_cast<long long>(start), static_cast<long long>(end), entries);
    return line;
}

int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    int count = 0;
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) count++;
    }
    return count;
}

const char kNesting[] = "Nonfatal Error : Maximum directory nesting exceeded(corrupt exif header)\r\n";

TEST(DirectoryWalker, ChainsStopAtTheFifthLevel) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block(bigEndian);
        for (int i = 0; i < 6; i++) block.Directory();
        for (int i = 0; i < 5; i++) block.Next(i, i + 1);
        ExifRun run(block.Tiff());
        for (int level = 0; level < 5; level++) {
            int64_t start = block.DirectoryOffset(level);
            EXPECT_TRUE(run.HasLine(MapLine(level, start, start + 6, 0))) << level;
        }
        EXPECT_EQ(CountLinesStartingWith(run.Lines(), ""), 9) << run.Text();
        EXPECT_EQ(run.Red(), kNesting);
    }
}

TEST(DirectoryWalker, DirectoryLinkingToItselfIsWalkedFiveTimes) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block(bigEndian);
        int dir = block.Directory();
        block.Add(dir, 0x0112, kShort, 1, block.Shorts({1})).Next(dir, dir);
        ExifRun run(block.Tiff());
        int maps = 0;
        for (const std::string& line : run.Lines()) {
            if (line.find("Map: 00008 - 00026: Directory(dir has 1 entries)") != std::string::npos) maps++;
        }
        EXPECT_EQ(maps, 5);
        // The third and later orientation tags are refused, so the loop shows up in red too.
        EXPECT_EQ(run.Red(), "Nonfatal Error : More than two orientation tags!\r\n"
                             "Nonfatal Error : More than two orientation tags!\r\n"
                             "Nonfatal Error : More than two orientation tags!\r\n" +
                                 std::string(kNesting));
    }
}

TEST(DirectoryWalker, DirectoryAtTheVeryEndOfTheBlock) {
    struct Case {
        size_t cut;  // bytes taken off the end of a block that ends with the directory's link
        bool walked;
    };
    const Case cases[] = {{0, true}, {2, true}, {4, true}, {1, false}, {3, false}, {5, false}};
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block(bigEndian);
            int dir = block.Directory();
            block.Add(dir, 0x0112, kShort, 1, block.Shorts({6})).NextRaw(dir, 0x01010101);
            std::vector<uint8_t> tiff = block.Tiff();
            tiff.resize(tiff.size() - c.cut);
            ExifRun run(tiff);
            EXPECT_EQ(run.HasLine(MapLine(0, 8, 26, 1)), c.walked) << c.cut;
            EXPECT_EQ(run.summary.orientationCode, c.walked ? 6 : 0) << c.cut;
            if (c.walked && c.cut > 0) {
                EXPECT_EQ(run.Red(), "") << "a link that does not fit is not read";
            } else if (c.walked) {
                EXPECT_EQ(run.Red(), "Nonfatal Error : Illegal subdirectory link\r\n");
            } else {
                EXPECT_EQ(run.Red(), "Nonfatal Error : Illegally sized exif subdirectory(1 entries)\r\n") << c.cut;
            }
        }
    }
}

TEST(DirectoryWalker, ComponentCountLimit) {
    struct Case {
        uint32_t count;
        const char* error;
    };
    const Case cases[] = {
        {0x10000, "Nonfatal Error : Illegal value pointer for tag 9286\r\n"},
        {0x10001, "Nonfatal Error : Illegal number of components 65537 for tag 9286\r\n"},
        {0xFFFFFFFF, "Nonfatal Error : Illegal number of components -1 for tag 9286\r\n"},
        {0x80000000, "Nonfatal Error : Illegal number of components -2147483648 for tag 9286\r\n"},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block(bigEndian);
            int dir = block.Directory();
            block.AddRaw(dir, 0x9286, kUndefined, c.count, 8);
            block.Add(dir, 0x0112, kShort, 1, block.Shorts({3}));
            ExifRun run(block.Tiff());
            EXPECT_EQ(run.Red(), c.error) << c.count;
            EXPECT_EQ(run.summary.orientationCode, 3) << "the walk goes on with the next entry";
        }
    }
}

// A block whose one directory holds an ASCII entry of the given count and
// value field, followed by 8 bytes of text at the end of the block.
std::vector<uint8_t> PointerBlock(bool bigEndian, uint32_t count, uint32_t field) {
    ExifBlockBuilder block(bigEndian);
    int dir = block.Directory();
    block.AddRaw(dir, 0x010E, kAscii, count, field);
    block.Data(ExifBlockBuilder::Ascii("Picture"));
    return block.Tiff();
}

TEST(DirectoryWalker, ValuePointersMustStayInTheBlock) {
    const uint32_t blockLength = static_cast<uint32_t>(PointerBlock(false, 0, 0).size());
    struct Case {
        uint32_t count;
        uint32_t field;
        const char* expectedLine;
    };
    const Case cases[] = {
        {8, blockLength - 8, "    ImageDescription = \"Picture\""},
        {7, blockLength - 7, "    ImageDescription = \"icture\""},
        {8, blockLength - 7, "Nonfatal Error : Illegal value pointer for tag 010e"},
        {5, blockLength, "Nonfatal Error : Illegal value pointer for tag 010e"},
        {5, 0xFFFFFFF8, "Nonfatal Error : Illegal value pointer for tag 010e"},
        {5, 0x7FFFFFFF, "Nonfatal Error : Illegal value pointer for tag 010e"},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifRun run(PointerBlock(bigEndian, c.count, c.field));
            EXPECT_TRUE(run.HasLine(c.expectedLine)) << c.count << " at " << c.field << "\n" << run.Text();
        }
    }
}

TEST(DirectoryWalker, FourBytesOrFewerLieInTheEntry) {
    struct Case {
        unsigned format;
        uint32_t count;
        std::vector<uint8_t> field;  // the entry's last four bytes, as stored
        const char* expectedLine;
    };
    const Case cases[] = {
        {kAscii, 4, {'a', 'b', 'c', 0}, "    ImageDescription = \"abc\""},
        {kAscii, 3, {'a', 'b', 'c', 'd'}, "    ImageDescription = \"abc\""},
        {kShort, 2, {0, 1, 0, 2}, "    ImageDescription = 1,2"},
        {kLong, 1, {0, 0, 1, 0}, "    ImageDescription = 256"},
        {kByte, 1, {0x7F, 0, 0, 0}, "    ImageDescription = 7f"},
        // Five bytes no longer fit: the field is an offset, here far outside.
        {kAscii, 5, {'a', 'b', 'c', 'd'}, "Nonfatal Error : Illegal value pointer for tag 010e"},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.AddRaw(dir, 0x010E, c.format, c.count,
                     uint32_t(c.field[0]) << 24 | uint32_t(c.field[1]) << 16 | uint32_t(c.field[2]) << 8 | c.field[3]);
        ExifRun run(block.Tiff());
        EXPECT_TRUE(run.HasLine(c.expectedLine)) << c.expectedLine << "\n" << run.Text();
    }
}

// Eight-byte formats of no components hold nothing: the inline field and
// the entry after it are not their value, for the listing or the summary.
TEST(DirectoryWalker, EightByteValuesOfNoComponentsShowAndSetNothing) {
    for (unsigned format : {kRational, kSRational, kDouble}) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.AddRaw(dir, 0x829D, format, 0, 28);
        block.Add(dir, 0x9000, kUndefined, 4, Bytes("0230"));
        ExifRun run(block.Tiff());
        EXPECT_TRUE(run.HasLine("    FNumber = ")) << format << "\n" << run.Text();
        EXPECT_EQ(run.summary.fStop, 0.0f) << format;
    }
}

TEST(DirectoryWalker, ValueTextsByFormat) {
    struct Case {
        const char* name;
        unsigned tag;
        unsigned format;
        uint32_t count;
        std::vector<uint8_t> value;
        const char* expectedLine;
    };
    const Case cases[] = {
        {"ascii of five letters and a zero", 0x0131, kAscii, 6, Bytes(std::string("Gimp5\0", 6)),
         "    Software = \"Gimp5\""},
        {"line ends become blanks, others ?", 0x010E, kAscii, 8, Bytes(std::string("a\r\nb\x01\xe9z\0", 8)),
         "    ImageDescription = \"a  b??z\""},
        {"undefined ends at a zero byte", 0x9000, kUndefined, 8, Bytes(std::string("0230\0xyz", 8)),
         "    ExifVersion = \"0230\""},
        {"byte text is utf-16le", 0x9C9B, kByte, 10, Bytes(std::string("T\0i\0\xe9\0\x42\x30x\0", 10)),
         "    Windows - XP Title = Ti\xe9?x"},
        {"byte text ends at a zero unit", 0x9C9F, kByte, 8, Bytes(std::string("a\0\0\0b\0c\0", 8)),
         "    Windows - XP subject = a"},
        {"odd byte count drops the last byte", 0x9C9E, kByte, 5, Bytes(std::string("k\0w\0d", 5)),
         "    Windows - XP keywords = kw"},
        {"long list over 16", 0x0111, kLong, 17, std::vector<uint8_t>(68, 0), "    StripOffsets = 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"},
        {"unsigned long", 0x0117, kLong, 1, {0xFF, 0xFF, 0xFF, 0xFF}, "    StripByteCounts = 4294967295"},
        {"signed long", 0x0117, kSLong, 1, {0xFF, 0xFF, 0xFF, 0xFF}, "    StripByteCounts = -1"},
        {"name spelled as the table has it", 0x0107, kShort, 1, {0, 2}, "    Threshholding = 2"},
        {"name with a blank", 0xA302, kUndefined, 2, {'x', 'y'}, "    CFA Pattern = \"xy\""},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.Add(dir, c.tag, c.format, c.count, c.value);
        ExifRun run(block.Tiff());
        EXPECT_TRUE(run.HasLine(c.expectedLine)) << c.name << "\n" << run.Text();
        EXPECT_EQ(run.Red(), "") << c.name;
    }
}

TEST(DirectoryWalker, UnknownTagsAreRedAndMakerNotesAreOnlyCounted) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block(bigEndian);
        int dir = block.Directory();
        block.Add(dir, 0x1234, kShort, 1, block.Shorts({5}));
        block.Add(dir, 0x927C, kUndefined, 9, Bytes(std::string("Nikon\0\0\0\0", 9)));
        block.Add(dir, 0x0128, kShort, 1, block.Shorts({2}));
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.Red(), "    Unknown Tag 1234 = 5\r\n");
        EXPECT_TRUE(run.HasLine("    Maker note:(9 bytes)"));
        EXPECT_TRUE(run.HasLine("    ResolutionUnit = 2"));
    }
}

TEST(DirectoryWalker, OrientationTagsAreCounted) {
    struct Case {
        std::vector<unsigned> values;
        int32_t code;
        const char* red;
    };
    const Case cases[] = {
        {{6}, 6, ""},
        {{6, 1}, 6, ""},
        {{6, 1, 3}, 6, "Nonfatal Error : More than two orientation tags!\r\n"},
        {{9}, 0, "Nonfatal Error : Undefined rotation value 9\r\n"},
        {{65535, 2}, 0, "Nonfatal Error : Undefined rotation value 65535\r\n"},
        {{8}, 8, ""},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block(bigEndian);
            int dir = block.Directory();
            for (unsigned value : c.values) block.Add(dir, 0x0112, kShort, 1, block.Shorts({value}));
            ExifRun run(block.Tiff());
            EXPECT_EQ(run.summary.orientationCode, c.code) << c.values.size();
            EXPECT_EQ(run.Red(), c.red);
        }
    }
}

TEST(DirectoryWalker, IsoSpeedRule) {
    struct Case {
        int iso;            // -1: no ISOSpeedRatings
        int exposureIndex;  // -1: no ExposureIndex
        int32_t expected;
    };
    const Case cases[] = {
        {1, -1, 200},  {9, -1, 1800},     {10, -1, 10},     {32, -1, 32},     {49, -1, 49},   {50, -1, 50},
        {400, -1, 400}, {0, 200, 200},    {-1, 160, 160},   {100, 800, 100},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(false);
        int dir = block.Directory();
        if (c.iso >= 0) block.Add(dir, 0x8827, kShort, 1, block.Shorts({unsigned(c.iso)}));
        if (c.exposureIndex >= 0) {
            block.Add(dir, 0xA215, kRational, 1, block.Rationals({{uint32_t(c.exposureIndex), 1}}));
        }
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.summary.isoSpeed, c.expected) << c.iso << " " << c.exposureIndex;
    }
}

TEST(DirectoryWalker, DateTakenPrecedence) {
    struct Case {
        const char* name;
        std::vector<std::pair<unsigned, const char*>> mainTags;  // in IFD0
        std::vector<std::pair<unsigned, const char*>> exifTags;  // in the EXIF sub-directory
        const char* expected;
    };
    const Case cases[] = {
        {"original wins over an earlier DateTime", {{0x0132, "2001:01:01 01:01:01"}},
         {{0x9003, "2002:02:02 02:02:02"}, {0x9004, "2003:03:03 03:03:03"}}, "2002:02:02 02:02:02"},
        {"original wins when met first", {}, {{0x9003, "2002:02:02 02:02:02"}, {0x9004, "2003:03:03 03:03:03"}},
         "2002:02:02 02:02:02"},
        {"digitized never replaces a digit", {{0x0132, "2001:01:01 01:01:01"}}, {{0x9004, "2003:03:03 03:03:03"}},
         "2001:01:01 01:01:01"},
        {"digitized alone", {}, {{0x9004, "2003:03:03 03:03:03"}}, "2003:03:03 03:03:03"},
        {"a blank date lets the next one in", {{0x0132, "    :  :     :  :  "}}, {{0x9004, "2003:03:03 03:03:03"}},
         "2003:03:03 03:03:03"},
        {"longer texts are cut to 19", {{0x0132, "2001:01:01 01:01:01.123"}}, {}, "2001:01:01 01:01:01"},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(true);
        int main = block.Directory();
        int exif = block.Directory();
        for (const auto& tag : c.mainTags) {
            std::string text = tag.second;
            block.Add(main, tag.first, kAscii, static_cast<uint32_t>(text.size() + 1), ExifBlockBuilder::Ascii(text));
        }
        block.AddLink(main, 0x8769, exif);
        for (const auto& tag : c.exifTags) {
            std::string text = tag.second;
            block.Add(exif, tag.first, kAscii, static_cast<uint32_t>(text.size() + 1), ExifBlockBuilder::Ascii(text));
        }
        ExifRun run(block.Tiff());
        EXPECT_STREQ(run.summary.shotTimeText, c.expected) << c.name;
        EXPECT_TRUE(run.HasLine("    Exif Dir:")) << c.name;
    }
}

TEST(DirectoryWalker, DateWithoutTerminatorAtTheBlockEndStopsThere) {
    ByteBuilder b;
    b.bigEndian = false;
    // IFD0 with one DateTime of count 4 (in the entry) and no link: the copy
    // of up to 19 bytes runs to the block's end and no further.
    b.Text("II").U16(0x2A).U32(8).U16(1).U16(0x0132).U16(kAscii).U32(4).Text("2012");
    ExifRun run(b.bytes);
    EXPECT_STREQ(run.summary.shotTimeText, "2012");
}

TEST(DirectoryWalker, UserCommentForms) {
    struct Case {
        const char* name;
        std::string value;
        const char* listed;
        const char* stored;
    };
    const Case cases[] = {
        {"ascii code then text", std::string("ASCII\0\0\0Hello there   ", 22), "    UserComment = \"ASCII\"", "Hello there"},
        {"ascii code padded with blanks", std::string("ASCII   Hi", 10), "    UserComment = \"ASCII   Hi\"", "Hi"},
        {"ascii code and nothing else", std::string("ASCII\0\0\0\0\0  ", 12), "    UserComment = \"ASCII\"", ""},
        {"text right after the code letters", std::string("ASCIIxyz", 8), "    UserComment = \"ASCIIxyz\"", "xyz"},
        {"another code keeps its letters", std::string("UNICODE\0H\0i\0", 12), "    UserComment = \"UNICODE\"",
         "UNICODE"},
        {"no code at all", std::string("Plain words  ", 13), "    UserComment = \"Plain words  \"", "Plain words"},
        {"all blanks", std::string("        ", 8), "    UserComment = \"        \"", ""},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block(bigEndian);
            int dir = block.Directory();
            block.Add(dir, 0x9286, kUndefined, static_cast<uint32_t>(c.value.size()), Bytes(c.value));
            ExifRun run(block.Tiff());
            EXPECT_TRUE(run.HasLine(c.listed)) << c.name << "\n" << run.Text();
            EXPECT_STREQ(run.summary.commentText, c.stored) << c.name;
        }
    }
}

TEST(DirectoryWalker, OnlyTheFirstCommentIsKept) {
    ExifBlockBuilder block(false);
    int dir = block.Directory();
    block.Add(dir, 0x9C9C, kByte, 8, Bytes(std::string("X\0P\0!\0\0\0", 8)));
    block.Add(dir, 0x9286, kUndefined, 12, Bytes(std::string("ASCII\0\0\0Late", 12)));
    block.Add(dir, 0x9C9C, kByte, 4, Bytes(std::string("Z\0\0\0", 4)));
    ExifRun run(block.Tiff());
    EXPECT_STREQ(run.summary.commentText, "XP!");
    EXPECT_TRUE(run.HasLine("    Windows - XP comment = XP!"));
    EXPECT_TRUE(run.HasLine("Multiple comments in exif header"));
    EXPECT_TRUE(run.HasLine("Windows XP commend and other comment in header"));
    EXPECT_EQ(run.Red(), "");
}

TEST(DirectoryWalker, RecordUpdatesFromTheirTags) {
    ExifBlockBuilder block(true);
    int main = block.Directory();
    int exif = block.Directory();
    const std::string longMake = "A make name longer than thirty-one letters";
    block.Add(main, 0x010F, kAscii, static_cast<uint32_t>(longMake.size() + 1), ExifBlockBuilder::Ascii(longMake));
    block.Add(main, 0x0110, kAscii, 3, Bytes(std::string("XYZ", 3)));  // count 3: "Z" and not beyond
    block.AddLink(main, 0x8769, exif);
    block.Add(exif, 0x9201, kSRational, 1, block.Rationals({{7, 1}}));  // 1/128 s
    block.Add(exif, 0x9205, kRational, 1, block.Rationals({{4, 1}}));   // f/4 from MaxApertureValue
    block.Add(exif, 0x9204, kSRational, 1, block.Rationals({{0xFFFFFFFD, 3}}));
    block.Add(exif, 0x9206, kRational, 1, block.Rationals({{5, 2}}));
    block.Add(exif, 0x9207, kShort, 1, block.Shorts({5}));
    block.Add(exif, 0x9208, kShort, 1, block.Shorts({9}));
    block.Add(exif, 0x9209, kShort, 1, block.Shorts({25}));
    block.Add(exif, 0x920A, kRational, 1, block.Rationals({{71, 10}}));
    block.Add(exif, 0x8822, kShort, 1, block.Shorts({3}));
    block.Add(exif, 0xA002, kLong, 1, block.Longs({640}));
    block.Add(exif, 0xA003, kShort, 1, block.Shorts({480}));
    block.Add(exif, 0xA20E, kRational, 1, block.Rationals({{100, 1}}));
    block.Add(exif, 0xA210, kShort, 1, block.Shorts({4}));
    block.Add(exif, 0xA402, kShort, 1, block.Shorts({2}));
    block.Add(exif, 0xA403, kShort, 1, block.Shorts({1}));
    block.Add(exif, 0xA404, kRational, 1, block.Rationals({{3, 2}}));
    block.Add(exif, 0xA405, kShort, 1, block.Shorts({35}));
    block.Add(exif, 0xA40C, kShort, 1, block.Shorts({3}));
    ExifRun run(block.Tiff());
    const ImageSummary& s = run.summary;
    EXPECT_STREQ(s.makeText, longMake.substr(0, 31).c_str());
    EXPECT_STREQ(s.modelText, "XYZ");
    EXPECT_FLOAT_EQ(s.exposureSeconds, 1.0f / 128);
    EXPECT_FLOAT_EQ(s.fStop, 4.0f);
    EXPECT_FLOAT_EQ(s.exposureBiasEv, -1.0f);
    EXPECT_FLOAT_EQ(s.subjectDistanceM, 2.5f);
    EXPECT_EQ(s.meteringCode, 5);
    EXPECT_EQ(s.lightSourceCode, 9);
    EXPECT_EQ(s.flashCode, 25);
    EXPECT_FLOAT_EQ(s.focalLengthMm, 7.1f);
    EXPECT_EQ(s.exposureProgramCode, 3);
    EXPECT_EQ(s.exifPixelWidth, 640);
    EXPECT_EQ(s.exifPixelHeight, 480);
    EXPECT_DOUBLE_EQ(s.focalPlanePixelsPerUnit, 100);
    EXPECT_DOUBLE_EQ(s.focalPlaneUnitMm, 1.0);
    EXPECT_EQ(s.exposureModeCode, 2);
    EXPECT_EQ(s.whiteBalanceCode, 1);
    EXPECT_FLOAT_EQ(s.digitalZoom, 1.5f);
    EXPECT_EQ(s.focal35mm, 35);
    EXPECT_EQ(s.subjectRangeCode, 3);
    EXPECT_EQ(run.Red(), "");
}

TEST(DirectoryWalker, MeasuredValuesWinOverApexValues) {
    ExifBlockBuilder block(false);
    int dir = block.Directory();
    block.Add(dir, 0x829A, kRational, 1, block.Rationals({{1, 60}}));
    block.Add(dir, 0x829D, kRational, 1, block.Rationals({{28, 10}}));
    block.Add(dir, 0x9201, kSRational, 1, block.Rationals({{10, 1}}));
    block.Add(dir, 0x9202, kRational, 1, block.Rationals({{6, 1}}));
    ExifRun run(block.Tiff());
    EXPECT_FLOAT_EQ(run.summary.exposureSeconds, 1.0f / 60);
    EXPECT_FLOAT_EQ(run.summary.fStop, 2.8f);
}

TEST(DirectoryWalker, FocalPlaneUnitCodes) {
    const std::pair<unsigned, double> cases[] = {{0, 0}, {1, 25.4}, {2, 25.4}, {3, 10.0}, {4, 1.0}, {5, 0.001}, {6, 0}};
    for (const auto& c : cases) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.Add(dir, 0xA210, kShort, 1, block.Shorts({c.first}));
        ExifRun run(block.Tiff());
        EXPECT_DOUBLE_EQ(run.summary.focalPlaneUnitMm, c.second) << c.first;
    }
}

TEST(DirectoryWalker, NextDirectoryLinks) {
    ExifBlockBuilder probe(false);
    probe.Directory();
    const uint32_t blockLength = static_cast<uint32_t>(probe.Tiff().size());
    struct Case {
        uint32_t link;
        const char* expectedLine;  // nullptr: nothing after the directory
    };
    const Case cases[] = {
        {0, nullptr},
        {blockLength + 1, "Thumbnail removed by an older editor"},
        {blockLength + 19, "Thumbnail removed by an older editor"},
        {blockLength + 20, "Nonfatal Error : Illegal subdirectory link"},
        {0xFFFFFFFC, "Nonfatal Error : Illegal subdirectory link"},
        {blockLength, "Nonfatal Error : Illegally sized exif subdirectory(0 entries)"},
        {blockLength - 1, "Nonfatal Error : Illegally sized exif subdirectory(0 entries)"},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block(bigEndian);
            int dir = block.Directory();
            block.NextRaw(dir, c.link);
            ExifRun run(block.Tiff());
            std::vector<std::string> lines = run.Lines();
            ASSERT_EQ(lines.size(), c.expectedLine ? 5u : 4u) << c.link << "\n" << run.Text();
            if (c.expectedLine) {
                EXPECT_EQ(lines[3], c.expectedLine) << c.link;
            }
        }
    }
}

TEST(DirectoryWalker, SubDirectoryAndGpsLinksMustPointIntoTheBlock) {
    struct Case {
        unsigned tag;
        bool inside;
        const char* error;
    };
    const Case cases[] = {
        {0x8769, false, "Nonfatal Error : Illegal exif or interop ofset directory link\r\n"},
        {0xA005, false, "Nonfatal Error : Illegal exif or interop ofset directory link\r\n"},
        {0x8825, false, "Nonfatal Error : Illegal GPS directory link\r\n"},
        {0x8769, true, ""},
        {0xA005, true, ""},
        {0x8825, true, ""},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(true);
        int main = block.Directory();
        int sub = block.Directory();
        if (c.inside) {
            block.AddLink(main, c.tag, sub);
        } else {
            block.AddRaw(main, c.tag, kLong, 1, 0x00100000);
        }
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.Red(), c.error) << std::hex << c.tag;
        EXPECT_EQ(run.summary.gpsPresent, c.inside && c.tag == 0x8825 ? 1 : 0);
        EXPECT_EQ(CountLinesStartingWith(run.Lines(), "    Map: "), c.inside ? 1 : 0) << run.Text();
    }
}

TEST(DirectoryWalker, LinkIntoTheLastTwoBytesIsRefusedSafely) {
    // An EXIF link may name the block's very end: no entry count lies there.
    ExifBlockBuilder probe(true);
    probe.Directory();
    const uint32_t blockLength = static_cast<uint32_t>(probe.Tiff().size()) + 12;
    for (uint32_t target : {blockLength, blockLength - 1}) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.AddRaw(dir, 0x8769, kLong, 1, target);
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.Red(), "Nonfatal Error : Illegally sized exif subdirectory(0 entries)\r\n") << target;
    }
}

}  // namespace
