#include <gtest/gtest.h>

#include "app13/app13_builder.h"
#include "xmp/xmp.h"

namespace {

std::string ShowXmp(const JpegSegment& segment) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::IptcXmp);
    ShowXmpPacket(capture.analysis, segment);
    EXPECT_EQ(capture.RedText(ReportPane::IptcXmp), "");
    return capture.Text(ReportPane::IptcXmp);
}

std::vector<uint8_t> XmpPayload(const std::vector<uint8_t>& packet) {
    return Concat({Bytes("http://ns.adobe.com/xap/1.0/"), {0}, packet});
}

}  // namespace

TEST(XmpPacket, PacketIsShownAsOneCleanedRun) {
    struct XmpCase {
        std::string label;
        std::vector<uint8_t> packet;
        std::string shown;
    };
    const std::vector<XmpCase> cases = {
        {"plain", Bytes("<x/>"), "<x/>"},
        {"CR LF", Bytes("A\r\nB"), "A  B"},
        {"two-byte UTF-8", Bytes("caf\xC3\xA9!"), "caf  !"},
        {"three-byte UTF-8", Bytes("\xE2\x80\x94"), "   "},
        {"controls", {'a', 0x00, 0x01, 0x09, 0x1F, 0x7F, 0x80, 0xFF, 'z'}, "a    \x7F  z"},
        {"empty packet", {}, ""},
    };
    for (const XmpCase& c : cases) {
        JpegSegment segment = KeptSegment(0xE1, XmpPayload(c.packet));
        const std::string heading =
            " == == == == XMP  data: == == == == " + std::to_string(29 + c.packet.size() + 2) + " bytes\r\n";
        // The identifier's zero byte shows as a blank; no line end follows.
        EXPECT_EQ(ShowXmp(segment), heading + "http://ns.adobe.com/xap/1.0/ " + c.shown) << c.label;
    }
}

TEST(XmpPacket, OnlyTheBytesTheLengthCounts) {
    // A kept block longer than its length field: the extra bytes are not shown.
    JpegSegment segment = KeptSegment(0xE1, Bytes("http:ab"));
    segment.data.push_back('Z');
    EXPECT_EQ(ShowXmp(segment), " == == == == XMP  data: == == == == 9 bytes\r\nhttp:ab");
    // A length field that counts only itself shows an empty packet.
    JpegSegment empty = KeptSegment(0xE1, {});
    EXPECT_EQ(ShowXmp(empty), " == == == == XMP  data: == == == == 2 bytes\r\n");
}
