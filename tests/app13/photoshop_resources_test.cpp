#include <gtest/gtest.h>

#include "app13_builder.h"

namespace {

struct SegmentCase {
    std::string label;
    JpegSegment segment;
    std::string expected;  // everything after the heading line
};

std::string Heading(const JpegSegment& segment) {
    return kApp13Heading + std::to_string(segment.length) + " bytes\r\n";
}

// The error line, when there is one, is the last thing shown and the only red text.
std::string ErrorLineOf(const std::string& text) {
    size_t at = text.find("Nonfatal Error : ");
    return at == std::string::npos ? std::string() : text.substr(at);
}

void ExpectCases(const std::vector<SegmentCase>& cases) {
    for (const SegmentCase& c : cases) {
        PaneResult shown = ShowApp13(c.segment);
        EXPECT_EQ(shown.text, Heading(c.segment) + c.expected) << c.label;
        EXPECT_EQ(shown.red, ErrorLineOf(c.expected)) << c.label;
    }
}

std::vector<uint8_t> ResolutionData() {
    ByteBuilder b;
    b.U32(72 << 16).U16(1).U16(1).U32(300 << 16).U16(2).U16(2);
    return b.bytes;
}

std::vector<uint8_t> ThumbnailHeader() {
    ByteBuilder b;
    b.U32(1).U32(160).U32(120).U32(480).U32(57600).U32(1234).U16(24).U16(1);
    b.U8(0xFF).U8(0xD8).U8(0xFF).U8(0xD9);
    return b.bytes;
}

const std::vector<uint8_t> kCopyrightFlag = Block(0x040A, {1});
const char kCopyrightFlagLine[] = "PhotoShopTag:CopyrightFlag(1bytes)\r\n";

}  // namespace

TEST(PhotoshopResources, KindsOfResource) {
    ByteBuilder quality;
    quality.U16(0xFFFE).U16(0x0001).U16(0x0002).U8(0);  // 7 bytes, as written by the editor
    ByteBuilder oddQuality;
    oddQuality.U16(0x0009).U16(0x0002).U16(0x0007).Repeat(0, 6).U8(200);
    ByteBuilder xml;
    xml.U8('a').U8('\t').U8('b').U8(0xE3);
    ExpectCases({
        {"resolution", App13(Block(0x03ED, ResolutionData())),
         "PhotoShopTag:ResolutionInfo(16bytes)\r\n"
         "hRes=4718592,hResUnit=1,WidthUnit=1,vRes=19660800,vResUnit=2,HeightUnit=2\r\n"},
        // Offset 12 lies past the 7 data bytes: the padding byte, "8BIM", then
        // the high byte of the next id.
        {"quality", App13(Concat({Block(0x0406, quality.bytes), kCopyrightFlag})),
         "PhotoShopTag:JPEGQuality(7bytes)\r\n"
         "Quality=Quality 2 (Low),Format=Optimised Format,ProgressiveScans=4 Scans,Unknown=4\r\n" +
             std::string(kCopyrightFlagLine)},
        {"quality codes in none of the tables", App13(Block(0x0406, oddQuality.bytes)),
         "PhotoShopTag:JPEGQuality(13bytes)\r\n"
         "Quality=Unknown,Format=Unknown,ProgressiveScans=Unknown,Unknown=200\r\n"},
        {"thumbnail", App13(Block(0x0409, ThumbnailHeader())),
         "PhotoShopTag:ThumbnailResource(32bytes)\r\n"
         "Format=1,Width=160,Height=120,TotalSize=57600,CompressionSize=1234\r\n"},
        {"thumbnail 2", App13(Block(0x040C, ThumbnailHeader())),
         "PhotoShopTag:ThumbnailResource2(32bytes)\r\n"
         "Format=1,Width=160,Height=120,TotalSize=57600,CompressionSize=1234\r\n"},
        {"xml data runs into the next name", App13(Concat({Block(0x03EA, xml.bytes), kCopyrightFlag})),
         "PhotoShopTag:XMLData(4bytes)\r\na b " + std::string(kCopyrightFlagLine)},
        {"version", App13(Concat({Block(0x0421, VersionData(1, 1, u"abc", u"xyz", 1)), kCopyrightFlag})),
         "PhotoShopTag:VersionInfo(29bytes)\r\n"
         "version=1,RealMergedData=1,len1=3,writer=abc,len2=3,reader=xyz,fileversion=1.0.8.B\r\n" +
             std::string(kCopyrightFlagLine)},
        {"version with empty names", App13(Concat({Block(0x0421, VersionData(2, 0, u"", u"", 5)), Block(0x03ED, ResolutionData())})),
         "PhotoShopTag:VersionInfo(17bytes)\r\n"
         "version=2,RealMergedData=0,len1=0,writer=,len2=0,reader=,fileversion=5.0.8.B\r\n"
         "PhotoShopTag:ResolutionInfo(16bytes)\r\n"
         "hRes=4718592,hResUnit=1,WidthUnit=1,vRes=19660800,vResUnit=2,HeightUnit=2\r\n"},
        {"iptc, then the next block", App13(Concat({Block(0x0404, Dataset(2, 5, Bytes("Sunset"))), kCopyrightFlag})),
         "PhotoShopTag:IPTC/NAA(11bytes)\r\nApplicationRecord\r\nObject Name = Sunset\r\n" +
             std::string(kCopyrightFlagLine)},
        {"an error in the iptc data ends the segment",
         App13(Concat({Block(0x0404, Dataset(3, 10, Bytes("x"))), kCopyrightFlag})),
         "PhotoShopTag:IPTC/NAA(6bytes)\r\nNewsPhoto\r\nNonfatal Error : IPTC recordid mismatch(8)30a\r\n"},
        {"empty iptc data", App13(Concat({Block(0x0404, {}), kCopyrightFlag})),
         "PhotoShopTag:IPTC/NAA(0bytes)\r\n" + std::string(kCopyrightFlagLine)},
        {"other known ids show name and size only",
         App13(Concat({Block(0x0BB7, Bytes("path")), Block(0x03E8, {}), Block(0x2710, {0, 1, 2})})),
         "PhotoShopTag:ClippingPathName(4bytes)\r\nPhotoShopTag:Photoshop2Info(0bytes)\r\n"
         "PhotoShopTag:PrintFlagsInfo(3bytes)\r\n"},
    });
}

TEST(PhotoshopResources, NameLengthsAndPadding) {
    std::vector<SegmentCase> cases;
    // The name and its length byte take an even count; odd data is followed
    // by one padding byte. Either way the next block must be found.
    for (const std::string name : {"", "a", "ab", "abc", "abcdefg"}) {
        for (size_t dataSize : {0u, 1u, 2u, 3u, 5u}) {
            std::vector<uint8_t> data(dataSize, 0x5A);
            std::string label = "name '" + name + "', " + std::to_string(dataSize) + " data bytes";
            cases.push_back({label, App13(Concat({Block(0x0425, data, name), kCopyrightFlag})),
                             "PhotoShopTag:MD5 digest IPTC data(" + std::to_string(dataSize) + "bytes)\r\n" +
                                 kCopyrightFlagLine});
        }
    }
    ExpectCases(cases);
}

TEST(PhotoshopResources, UnknownIdsEndTheSegment) {
    ExpectCases({
        {"a path", App13(Concat({Block(2000, {1, 2}), kCopyrightFlag})),
         "Nonfatal Error : IPTC type signature mismatch(3)07d0\r\n"},
        {"the last path", App13(Concat({Block(2998, {1, 2}), kCopyrightFlag})),
         "Nonfatal Error : IPTC type signature mismatch(3)0bb6\r\n"},
        {"after a known block", App13(Concat({kCopyrightFlag, Block(0x03EC, {}), kCopyrightFlag})),
         std::string(kCopyrightFlagLine) + "Nonfatal Error : IPTC type signature mismatch(3)03ec\r\n"},
        {"a gap in the table", App13(Block(0x0418, {})), "Nonfatal Error : IPTC type signature mismatch(3)0418\r\n"},
        {"above the table", App13(Block(0xFFFF, {})), "Nonfatal Error : IPTC type signature mismatch(3)ffff\r\n"},
    });
}

TEST(PhotoshopResources, LengthAndSignatureMessages) {
    ByteBuilder tooShort;
    tooShort.Text("Photoshop 3.0").U8(0).Text("8BIM").U16(0x040A).U8(0).U8(0);  // length 24
    ByteBuilder wrongSignature;
    wrongSignature.Text("Photoshop 2.5").U8(0).Append(kCopyrightFlag);
    ByteBuilder idCut;
    idCut.Text("Photoshop 3.0").U8(0).Append(kCopyrightFlag).Text("8BIM").U8(0x04);
    ByteBuilder nameCut;
    nameCut.Text("Photoshop 3.0").U8(0).Append(kCopyrightFlag).Text("8BIM").U16(0x040A).U8(0);
    ExpectCases({
        {"shorter than 25", KeptSegment(0xED, tooShort.bytes), "Nonfatal Error : IPTC length mismatch(0)\r\n"},
        {"not photoshop", KeptSegment(0xED, wrongSignature.bytes),
         "Nonfatal Error : IPTC type signature mismatch(1)\r\n"},
        {"first block without 8BIM", App13(Concat({Bytes("8BIN"), std::vector<uint8_t>(10, 0)})),
         "Nonfatal Error : IPTC type signature mismatch(2)\r\n"},
        {"second block without 8BIM", App13(Concat({kCopyrightFlag, Bytes("MIB8"), std::vector<uint8_t>(10, 0)})),
         std::string(kCopyrightFlagLine) + "Nonfatal Error : IPTC type signature mismatch(2)\r\n"},
        {"fewer than four bytes left for 8BIM", App13(Concat({kCopyrightFlag, Bytes("8BI")})),
         std::string(kCopyrightFlagLine) + "Nonfatal Error : IPTC type signature mismatch(2)\r\n"},
        {"id cut by the segment end", KeptSegment(0xED, idCut.bytes),
         std::string(kCopyrightFlagLine) + "Nonfatal Error : IPTC length mismatch(4)\r\n"},
        {"name and size cut by the segment end", KeptSegment(0xED, nameCut.bytes),
         std::string(kCopyrightFlagLine) + "PhotoShopTag:CopyrightFlagNonfatal Error : IPTC length mismatch(4)\r\n"},
    });
}

TEST(PhotoshopResources, DataThatCannotStartInsideTheSegment) {
    std::vector<SegmentCase> cases;
    // Segments of length 25 to 28 hold the block's id but not the start of its data.
    for (unsigned extra = 1; extra <= 4; extra++) {
        ByteBuilder b;
        b.Text("Photoshop 3.0").U8(0).Text("8BIM").U16(0x0404).U8(0).U8(0).Repeat(0, extra);
        cases.push_back({"short segment", KeptSegment(0xED, b.bytes),
                         "PhotoShopTag:IPTC/NAANonfatal Error : IPTC length mismatch(5)\r\n"});
    }
    // A long name pushes the size field past the end.
    ByteBuilder longName;
    longName.Text("8BIM").U16(0x040A).U8(40).Text("name");
    cases.push_back({"name past the end", App13(Concat({kCopyrightFlag, longName.bytes})),
                     std::string(kCopyrightFlagLine) + "PhotoShopTag:CopyrightFlagNonfatal Error : IPTC length mismatch(5)\r\n"});
    // Even empty data must start before the end.
    cases.push_back({"empty data at the end", App13(Concat({kCopyrightFlag, Block(0x03E8, {})})),
                     std::string(kCopyrightFlagLine) + "PhotoShopTag:Photoshop2InfoNonfatal Error : IPTC length mismatch(5)\r\n"});
    ExpectCases(cases);
    EXPECT_EQ(cases.front().segment.length, 25);
}

TEST(PhotoshopResources, SizesAndFieldsPastTheSegmentEnd) {
    auto withSize = [](unsigned id, int32_t size, const std::vector<uint8_t>& data) {
        ByteBuilder b = BlockHeader(id, "", size);
        b.Append(data);
        return App13(b.bytes);
    };
    std::vector<uint8_t> version = VersionData(1, 1, u"abc", u"xyz", 1);
    std::vector<uint8_t> writerCut = {0, 0, 0, 1, 1, 0, 0, 0, 3, 0, 'a', 0, 'b'};
    std::vector<uint8_t> readerCountCut = {0, 0, 0, 1, 1, 0, 0, 0, 40, 0, 'a', 0, 0, 0};
    const std::string mismatch5 = "Nonfatal Error : IPTC length mismatch(5)\r\n";
    ExpectCases({
        {"negative size", withSize(0x040A, -4, {1, 2, 3, 4}), "PhotoShopTag:CopyrightFlag(-4bytes)\r\n" + mismatch5},
        {"most negative size", withSize(0x040A, INT32_MIN, {1, 2, 3, 4}),
         "PhotoShopTag:CopyrightFlag(-2147483648bytes)\r\n" + mismatch5},
        {"size past the end", withSize(0x040A, 100, {1, 2, 3, 4}), "PhotoShopTag:CopyrightFlag(100bytes)\r\n" + mismatch5},
        {"largest size", withSize(0x0404, INT32_MAX, Dataset(2, 5, Bytes("x"))),
         "PhotoShopTag:IPTC/NAA(2147483647bytes)\r\n" + mismatch5},
        {"size one past the end", withSize(0x03EA, 5, Bytes("abcd")), "PhotoShopTag:XMLData(5bytes)\r\n" + mismatch5},
        {"data exactly to the end", withSize(0x03EA, 4, Bytes("abcd")), "PhotoShopTag:XMLData(4bytes)\r\nabcd"},
        // A resource's own bytes inside the segment show its line; a field
        // read beyond them and past the segment end shows as 0 or empty.
        {"quality byte 12 past the end", withSize(0x0406, 7, {0, 1, 0, 0, 0, 1, 0}),
         "PhotoShopTag:JPEGQuality(7bytes)\r\n"
         "Quality=Quality 5 (Medium),Format=Standard Format,ProgressiveScans=3 Scans,Unknown=0\r\n"},
        {"resolution of 12 bytes", withSize(0x03ED, 12, std::vector<uint8_t>(12, 1)),
         "PhotoShopTag:ResolutionInfo(12bytes)\r\n"
         "hRes=16843009,hResUnit=257,WidthUnit=257,vRes=16843009,vResUnit=0,HeightUnit=0\r\n"},
        {"thumbnail of 20 bytes", withSize(0x0409, 20, std::vector<uint8_t>(20, 1)),
         "PhotoShopTag:ThumbnailResource(20bytes)\r\n"
         "Format=16843009,Width=16843009,Height=16843009,TotalSize=16843009,CompressionSize=0\r\n"},
        {"version without the bytes after it", withSize(0x0421, 29, version),
         "PhotoShopTag:VersionInfo(29bytes)\r\n"
         "version=1,RealMergedData=1,len1=3,writer=abc,len2=3,reader=xyz,fileversion=1.0..\r\n"},
        {"writer name past the end", withSize(0x0421, 13, writerCut),
         "PhotoShopTag:VersionInfo(13bytes)\r\n"
         "version=1,RealMergedData=1,len1=3,writer=a,len2=0,reader=,fileversion=0.0..\r\n"},
        {"reader count past the end", withSize(0x0421, 14, readerCountCut),
         "PhotoShopTag:VersionInfo(14bytes)\r\n"
         "version=1,RealMergedData=1,len1=40,writer=a,len2=0,reader=,fileversion=0.0..\r\n"},
    });
}

TEST(PhotoshopResources, LongVersionNamesAreCutAtTheBuffer) {
    std::u16string writer(300, u'W');
    PaneResult shown = ShowApp13(App13(Concat({Block(0x0421, VersionData(1, 1, writer, u"r", 1)), kCopyrightFlag})));
    // 300 is 0x12C: only the count's last byte is taken. The unit buffer
    // holds 259 characters and its terminator.
    const std::string start = "version=1,RealMergedData=1,len1=44,writer=" + Repeated('W', 259) + ",len2=";
    size_t at = shown.text.find("version=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(shown.text.substr(at, start.size()), start);
    EXPECT_EQ(shown.red, "");
    // The reader's count is read inside the writer name (a 'W', 87), so the
    // reader runs from the middle of the writer name to its end, and the
    // file version comes from inside it too.
    EXPECT_NE(shown.text.find(",len2=87,reader=" + Repeated('W', 254) + ",fileversion=87.0.W.\r\n"), std::string::npos)
        << shown.text;
}
