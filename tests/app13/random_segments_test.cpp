// Random and mutated APP13, IPTC and XMP bytes: every run must end, read
// nothing outside its data (the sanitizer build checks that), and keep the
// rule that an error ends the segment's output.
#include <gtest/gtest.h>

#include <random>

#include "app13_builder.h"
#include "xmp/xmp.h"

namespace {

std::vector<uint8_t> Template() {
    ByteBuilder quality;
    quality.U16(0xFFFE).U16(1).U16(2).U8(0);
    ByteBuilder thumbnail;
    thumbnail.U32(1).U32(160).U32(120).U32(480).U32(57600).U32(4).U16(24).U16(1).U32(0xFFD8FFD9);
    ByteBuilder resolution;
    resolution.U32(72 << 16).U16(1).U16(1).U32(72 << 16).U16(1).U16(1);
    std::vector<uint8_t> iptc = Concat({Dataset(1, 90, {0x1B, 0x25, 0x47}), Dataset(2, 0, {0, 4}),
                                        Dataset(2, 120, Bytes("a\r\nb\tc")), Dataset(2, 55, Bytes("20240101")),
                                        Dataset(2, 232, Bytes("x\ny")), Dataset(2, 199, {})});
    return Concat({Bytes("Photoshop 3.0"), {0}, Block(0x0421, VersionData(1, 1, u"Writer", u"Reader", 1)),
                   Block(0x03ED, resolution.bytes, "r"), Block(0x0404, iptc, "ab"), Block(0x03EA, Bytes("<x>\xE3</x>")),
                   Block(0x0406, quality.bytes), Block(0x0409, thumbnail.bytes)});
}

std::vector<uint8_t> Mutated(std::vector<uint8_t> bytes, std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes && !bytes.empty(); i++) {
        size_t at = random() % bytes.size();
        switch (random() % 4) {
            case 0: bytes[at] = static_cast<uint8_t>(byte(random)); break;
            case 1: bytes[at] = 0xFF; break;
            case 2: bytes[at] ^= 0x80; break;
            default: bytes.resize(at); break;
        }
    }
    return bytes;
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t most) {
    std::vector<uint8_t> bytes(random() % (most + 1));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// At most one error line, and nothing after it.
void ExpectErrorEndsOutput(const std::string& text, const std::string& red, int round) {
    size_t error = text.find("Nonfatal Error : ");
    if (error == std::string::npos) return;
    size_t lineEnd = text.find("\r\n", error);
    ASSERT_NE(lineEnd, std::string::npos) << round;
    EXPECT_EQ(lineEnd + 2, text.size()) << round;
    EXPECT_EQ(red.substr(red.size() - (text.size() - error)), text.substr(error)) << round;
}

}  // namespace

TEST(RandomSegments, MutatedApp13EndsCleanly) {
    std::mt19937 random(20241208);
    const std::vector<uint8_t> base = Template();
    {
        PaneResult intact = ShowApp13(KeptSegment(0xED, base));
        ASSERT_EQ(intact.red.find("Nonfatal"), std::string::npos) << intact.text;
    }
    for (int round = 0; round < 20000; round++) {
        std::vector<uint8_t> payload = round % 5 == 0 ? Concat({Bytes("Photoshop 3.0"), {0}, RandomBytes(random, 300)})
                                                      : Mutated(base, random);
        if (payload.size() > 65533) payload.resize(65533);
        JpegSegment segment = KeptSegment(0xED, payload);
        PaneResult shown = ShowApp13(segment);
        ASSERT_EQ(shown.text.rfind(kApp13Heading + std::to_string(segment.length) + " bytes\r\n", 0), 0u) << round;
        ExpectErrorEndsOutput(shown.text, shown.red, round);
    }
}

TEST(RandomSegments, RandomIptcDataEndsCleanly) {
    std::mt19937 random(7);
    for (int round = 0; round < 20000; round++) {
        std::vector<uint8_t> data = RandomBytes(random, 200);
        // Mostly well-formed headers, so that the walk gets past the first dataset.
        for (size_t at = 0; at + 5 <= data.size(); at += 5 + data[at + 4] % 24) {
            data[at] = random() % 16 ? 0x1C : data[at];
            data[at + 1] = random() % 8 ? static_cast<uint8_t>(1 + random() % 2) : data[at + 1];
            data[at + 3] = 0;
            data[at + 4] = static_cast<uint8_t>(data[at + 4] % 24);
        }
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::IptcXmp);
        int result = DecodeIptcRecords(capture.analysis, MakeView(data));
        const std::string& text = capture.Text(ReportPane::IptcXmp);
        ExpectErrorEndsOutput(text, capture.RedText(ReportPane::IptcXmp), round);
        EXPECT_EQ(result == 0, text.find("Nonfatal Error : ") != std::string::npos) << round;
    }
}

TEST(RandomSegments, RandomXmpIsShownByteForByte) {
    std::mt19937 random(99);
    for (int round = 0; round < 2000; round++) {
        std::vector<uint8_t> payload = Concat({Bytes("http:"), RandomBytes(random, 400)});
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::IptcXmp);
        ShowXmpPacket(capture.analysis, KeptSegment(0xE1, payload));
        const std::string& text = capture.Text(ReportPane::IptcXmp);
        size_t headingEnd = text.find("\r\n");
        ASSERT_NE(headingEnd, std::string::npos);
        // One shown byte per payload byte, none of them a control or high byte.
        ASSERT_EQ(text.size() - headingEnd - 2, payload.size()) << round;
        for (size_t i = headingEnd + 2; i < text.size(); i++) {
            unsigned char shown = static_cast<unsigned char>(text[i]);
            ASSERT_TRUE(shown >= 0x20 && shown <= 0x7F) << round;
        }
    }
}
