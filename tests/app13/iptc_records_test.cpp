#include <gtest/gtest.h>

#include "app13_builder.h"

namespace {

struct WalkResult {
    std::string text;
    std::string red;
    int result;
};

WalkResult Walk(const std::vector<uint8_t>& data) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::IptcXmp);
    int result = DecodeIptcRecords(capture.analysis, MakeView(data));
    return WalkResult{capture.Text(ReportPane::IptcXmp), capture.RedText(ReportPane::IptcXmp), result};
}

struct WalkCase {
    std::string label;
    std::vector<uint8_t> data;
    std::string expected;
    std::string expectedRed;
    int expectedResult;
};

void ExpectWalks(const std::vector<WalkCase>& cases) {
    for (const WalkCase& c : cases) {
        WalkResult walked = Walk(c.data);
        EXPECT_EQ(walked.text, c.expected) << c.label;
        EXPECT_EQ(walked.red, c.expectedRed) << c.label;
        EXPECT_EQ(walked.result, c.expectedResult) << c.label;
    }
}

const char kApp[] = "ApplicationRecord\r\n";
const char kEnvelope[] = "EnvelopeRecord\r\n";

std::string App(const std::string& line) { return kApp + line; }

// Records every piece of text as it is appended, as the window's control receives it.
class PieceSink : public ReportSink {
public:
    void AppendText(ReportPane, const char* text, size_t length) override { pieces.emplace_back(text, length); }
    void SetColor(ReportPane, uint32_t) override {}
    std::string Joined() const {
        std::string all;
        for (const std::string& piece : pieces) all += piece;
        return all;
    }
    size_t Longest() const {
        size_t longest = 0;
        for (const std::string& piece : pieces) longest = std::max(longest, piece.size());
        return longest;
    }
    // A CR at the end of one piece and its LF at the start of the next: the
    // window's control would show two line ends.
    bool SplitsALineEnd() const {
        for (size_t i = 1; i < pieces.size(); i++) {
            if (!pieces[i - 1].empty() && pieces[i - 1].back() == '\r' && pieces[i].front() == '\n') return true;
        }
        return false;
    }
    std::vector<std::string> pieces;
};

std::string Cycling(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; i++) text += static_cast<char>('A' + i % 26);
    return text;
}

}  // namespace

TEST(IptcRecords, ValueKinds) {
    ExpectWalks({
        {"text", Dataset(2, 5, Bytes("Sunset")), App("Object Name = Sunset\r\n"), "", 1},
        {"heading before every dataset", Concat({Dataset(2, 25, Bytes("sea")), Dataset(2, 25, Bytes("sky"))}),
         App("Keywords = sea\r\n") + App("Keywords = sky\r\n"), "", 1},
        {"number", Dataset(2, 0, {0x00, 0x04}), App("RecordVersion = 4\r\n"), "", 1},
        {"number is unsigned", Dataset(2, 200, {0xFF, 0xFE}), App("ObjectPreviewFileFormat = 65534\r\n"), "", 1},
        {"number from the first two bytes", Dataset(1, 20, {0x00, 0x02, 0x00, 0x03}),
         std::string(kEnvelope) + "FileFormat = 2\r\n", "", 1},
        {"escape", Dataset(1, 90, {0x1B, 0x25, 0x47}), std::string(kEnvelope) + "CodedCharacterSet = ESC%G\r\n", "", 1},
        {"fixed date", Dataset(2, 55, Bytes("20040621")), App("DateCreated = 20040621\r\n"), "", 1},
        {"fixed of one byte", Dataset(1, 60, Bytes("5")), std::string(kEnvelope) + "EnvelopePriority = 5\r\n", "", 1},
        {"fixed shows its own count only", Dataset(2, 10, Bytes("123")), App("Urgency = 1\r\n"), "", 1},
        {"fixed stops at a zero", Dataset(2, 8, {'0', 0, '1'}), App("EditorialUpdate = 0\r\n"), "", 1},
        {"fixed keeps control bytes", Dataset(2, 152, {'\t', 0x1B}), App("AudioSamplingResolution = \t\x1B\r\n"), "", 1},
        // A short value is shown with the bytes that follow it in the IPTC data.
        {"short fixed reads on", Concat({Dataset(2, 55, Bytes("2004")), Dataset(2, 5, {})}),
         App("DateCreated = 2004\x1C\x02\x05\r\n") + App("Object Name = \r\n"), "", 1},
        {"short number reads on", Concat({Dataset(2, 0, {0x07}), Dataset(2, 5, Bytes("x"))}),
         App("RecordVersion = 1820\r\n") + App("Object Name = x\r\n"), "", 1},
        // At the end of the IPTC data only the bytes that exist are shown.
        {"short fixed at the end", Dataset(2, 55, Bytes("2004")), App("DateCreated = 2004\r\n"), "", 1},
        {"one-byte number at the end", Dataset(2, 0, {0x07}), App("RecordVersion = 7\r\n"), "", 1},
        {"empty number at the end", Dataset(2, 0, {}), App("RecordVersion = \r\n"), "", 1},
        {"empty text", Dataset(2, 5, {}), App("Object Name = \r\n"), "", 1},
        {"empty data", {}, "", "", 1},
    });
}

TEST(IptcRecords, TextCleaning) {
    ExpectWalks({
        {"two lines", Dataset(2, 120, Bytes("line one\r\nline two")),
         App("CaptionAbstract = line one\r\nline two\r\n"), "", 1},
        {"ends with its own line end", Dataset(2, 120, Bytes("done\r\n")), App("CaptionAbstract = done\r\n"), "", 1},
        {"line ends in a row fold", Dataset(2, 105, Bytes("a\n\n\r\rb")), App("Headline = a\r\nb\r\n"), "", 1},
        {"a lone CR", Dataset(2, 105, Bytes("a\rb")), App("Headline = a\r\nb\r\n"), "", 1},
        {"a lone LF value", Dataset(2, 105, Bytes("\n")), App("Headline = \r\n"), "", 1},
        {"tab", Dataset(2, 116, Bytes("(c)\t2024")), App("CopyrightNotice = (c) 2024\r\n"), "", 1},
        {"zero ends the text", Dataset(2, 90, {'O', 'K', 0, 'x', 'y'}), App("City = OK\r\n"), "", 1},
        {"high bytes unchanged", Dataset(2, 80, {'J', 0xC3, 0xA9, 0x82, 0xA0}), App("Byline = J\xC3\xA9\x82\xA0\r\n"), "",
         1},
        {"camera info below its name", Dataset(2, 232, Bytes("Model A\nLens B")),
         App("ExifCameraInfo = \r\nModel A\r\nLens B\r\n"), "", 1},
        {"camera info starting with a line end", Dataset(2, 232, Bytes("\nx")),
         App("ExifCameraInfo = \r\n\r\nx\r\n"), "", 1},
    });
}

TEST(IptcRecords, RecordsAndUnknownTags) {
    const std::vector<uint8_t> next = Dataset(2, 5, Bytes("next"));
    ExpectWalks({
        {"unknown application tag", Concat({Dataset(2, 199, Bytes("?")), next}),
         App("Unrecognised IPTC tag: 711\r\n") + App("Object Name = next\r\n"), "Unrecognised IPTC tag: 711\r\n", 1},
        {"unknown envelope tag", Concat({Dataset(1, 1, {}), next}),
         std::string(kEnvelope) + "Unrecognised IPTC tag: 257\r\n" + App("Object Name = next\r\n"),
         "Unrecognised IPTC tag: 257\r\n", 1},
        {"news photo", Concat({Dataset(3, 10, {1}), next}), "NewsPhoto\r\nNonfatal Error : IPTC recordid mismatch(8)30a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)30a\r\n", 0},
        {"pre-object data", Dataset(7, 10, {1}), "PreObjectData\r\nNonfatal Error : IPTC recordid mismatch(8)70a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)70a\r\n", 0},
        {"object data", Dataset(8, 10, {1}), "ObjectData\r\nNonfatal Error : IPTC recordid mismatch(8)80a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)80a\r\n", 0},
        {"post-object data", Dataset(9, 10, {1}), "PostObjectData\r\nNonfatal Error : IPTC recordid mismatch(8)90a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)90a\r\n", 0},
        {"fotostation", Dataset(240, 10, {1}), "FotoStation\r\nNonfatal Error : IPTC recordid mismatch(8)f00a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)f00a\r\n", 0},
        {"a record with no heading", Concat({next, Dataset(5, 10, {1})}),
         App("Object Name = next\r\n") + "Nonfatal Error : IPTC recordid mismatch(8)50a\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)50a\r\n", 0},
        {"record zero", Dataset(0, 5, {}), "Nonfatal Error : IPTC recordid mismatch(8)05\r\n",
         "Nonfatal Error : IPTC recordid mismatch(8)05\r\n", 0},
    });
}

TEST(IptcRecords, StructuralFaults) {
    const std::vector<uint8_t> good = Dataset(2, 5, Bytes("ok"));
    const std::string goodLines = App("Object Name = ok\r\n");
    ExpectWalks({
        {"three stray bytes", Concat({good, {0x1C, 0x02, 0x05}}),
         goodLines + "Nonfatal Error : IPTC length mismatch(6)-3\r\n", "Nonfatal Error : IPTC length mismatch(6)-3\r\n", 0},
        {"one stray byte", Concat({good, {0x00}}), goodLines + "Nonfatal Error : IPTC length mismatch(6)-1\r\n",
         "Nonfatal Error : IPTC length mismatch(6)-1\r\n", 0},
        {"wrong marker", Concat({good, {0x1D, 0x02, 0x05, 0x00, 0x00}}),
         goodLines + "Nonfatal Error : IPTC marker mismatch(7)1d\r\n", "Nonfatal Error : IPTC marker mismatch(7)1d\r\n", 0},
        {"value past the end", Concat({good, {0x1C, 0x02, 0x05, 0x00, 0x04, 'a', 'b', 'c'}}),
         goodLines + "Nonfatal Error : IPTC length mismatch(9)\r\n", "Nonfatal Error : IPTC length mismatch(9)\r\n", 0},
        {"extended length form", Concat({{0x1C, 0x02, 0x78, 0x80, 0x04, 0x00, 0x00, 0x00, 0x05}, Bytes("abcde")}),
         "Nonfatal Error : IPTC length mismatch(9)\r\n", "Nonfatal Error : IPTC length mismatch(9)\r\n", 0},
        {"value exactly to the end", {0x1C, 0x02, 0x05, 0x00, 0x02, 'o', 'k'}, goodLines, "", 1},
    });
}

TEST(IptcRecords, LongTextIsShownWholeInPieces) {
    struct LongCase {
        std::string label;
        std::vector<uint8_t> data;
        std::string expected;
    };
    const std::string caption = Cycling(2000);
    const std::string x258(258, 'x');
    const std::string x257(257, 'x');
    const std::vector<LongCase> cases = {
        {"caption of 2000 characters", Dataset(2, 120, Bytes(caption)), App("CaptionAbstract = " + caption + "\r\n")},
        {"line end across a piece", Dataset(2, 120, Bytes(x258 + "\r\ny")), App("CaptionAbstract = " + x258 + "\r\ny\r\n")},
        {"line ends after a full piece", Dataset(2, 120, Bytes(std::string(263, 'a') + "\r\n\nb")),
         App("CaptionAbstract = " + std::string(263, 'a') + "\r\nb\r\n")},
        {"line ends at the piece end", Dataset(2, 120, Bytes(x257 + "\n\n")), App("CaptionAbstract = " + x257 + "\r\n")},
        {"escape across a piece", Dataset(2, 120, Concat({Bytes(x257), {0x1B}, Bytes("y")})),
         App("CaptionAbstract = " + x257 + "ESCy\r\n")},
        {"long camera info", Dataset(2, 232, Bytes(caption + "\n" + caption)),
         App("ExifCameraInfo = \r\n" + caption + "\r\n" + caption + "\r\n")},
    };
    for (const LongCase& c : cases) {
        PieceSink sink;
        Analysis analysis;
        ResetAnalysis(analysis, &sink);
        SelectReportPane(analysis.report, ReportPane::IptcXmp);
        int result = DecodeIptcRecords(analysis, MakeView(c.data));
        EXPECT_EQ(result, 1) << c.label;
        EXPECT_EQ(sink.Joined(), c.expected) << c.label;
        EXPECT_LE(sink.Longest(), 259u) << c.label;
        EXPECT_FALSE(sink.SplitsALineEnd()) << c.label;
    }
}
