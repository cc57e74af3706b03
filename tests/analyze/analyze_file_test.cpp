#include <gtest/gtest.h>

#include <string>

#include "analyze/analyze_file.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

namespace {

struct AnalysisRun {
    int result = -1;
    std::string jpeg, exif, iptc, exifRed;
};

// The file analysed by the given analysis, or by a fresh one.
AnalysisRun Analyze(const std::string& path, ReportCapture* reused = nullptr) {
    ReportCapture fresh;
    ReportCapture& capture = reused != nullptr ? *reused : fresh;
    capture.sink.Clear();
    AnalysisRun run;
    run.result = AnalyzeFile(capture.analysis, path.c_str());
    run.jpeg = capture.Text(ReportPane::Jpeg);
    run.exif = capture.Text(ReportPane::Exif);
    run.iptc = capture.Text(ReportPane::IptcXmp);
    run.exifRed = capture.RedText(ReportPane::Exif);
    return run;
}

// A path of exactly length bytes naming a file in the temporary folder.
std::string PathOfLength(size_t length) {
    std::string folder = TempFolder() + "/";
    return folder + std::string(length - folder.size() - 4, 'n') + ".jpg";
}

const std::vector<uint8_t> kMinimalJpeg = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};

}  // namespace

TEST(AnalyzeFile, PathLengthLimitIs259Bytes) {
    std::string fits = PathOfLength(259);
    WriteTempFile(kMinimalJpeg, fits.substr(TempFolder().size() + 1));
    AnalysisRun accepted = Analyze(fits);
    EXPECT_EQ(accepted.result, 1);
    EXPECT_EQ(accepted.jpeg.find("File name    : " + fits + "\r\n"), 0u);

    AnalysisRun refused = Analyze(PathOfLength(260));
    EXPECT_EQ(refused.result, 0);
    EXPECT_EQ(refused.exif, "Fatal Error  : filename too long\r\n");
    EXPECT_EQ(refused.exifRed, refused.exif);
    EXPECT_EQ(refused.jpeg, "");
}

TEST(AnalyzeFile, MissingFileAndFolderAreNoSuchFile) {
    for (const std::string& path : {TempFolder() + "/does-not-exist.jpg", TempFolder()}) {
        AnalysisRun run = Analyze(path);
        EXPECT_EQ(run.result, 0) << path;
        EXPECT_EQ(run.exif, "Fatal Error  : No such file\r\n") << path;
        EXPECT_EQ(run.exifRed, run.exif) << path;
        EXPECT_EQ(run.jpeg, "") << path;
    }
}

// A file that starts as a JPEG (or holds nothing) keeps the JPEG reader's
// refusal alone; one of no format read is told which formats are.
TEST(AnalyzeFile, FilesThatAreNotJpegShowOnlyTheRedNotJpegLine) {
    const std::vector<std::vector<uint8_t>> notJpeg = {{}, {0xFF}, {0x89, 'P', 'N', 'G'}, {0xD8, 0xFF}};
    const std::string formats =
        "Pixloupe reads JPEG, TIFF, DNG, CR2, NEF, NRW, ARW, SR2, SRF, PEF, SRW, 3FR, ERF, KDC, DCR, MOS, IIQ, ORF, "
        "RW2 and RAF files\r\n";
    for (const auto& bytes : notJpeg) {
        std::string path = WriteTempFile(bytes, "not-jpeg.jpg");
        AnalysisRun run = Analyze(path);
        EXPECT_EQ(run.result, 0);
        const bool jpegRoad = bytes.empty() || bytes[0] == 0xFF;
        EXPECT_EQ(run.exif, "Not JPEG: " + path + "\r\n" + (jpegRoad ? "" : formats));
        EXPECT_EQ(run.exifRed, "Not JPEG: " + path + "\r\n");
        EXPECT_EQ(run.jpeg + run.iptc, "");
    }
}

TEST(AnalyzeFile, FileEndingInsideASegmentShowsTheFatalLineThenNotJpeg) {
    std::vector<uint8_t> bytes = Concat({{0xFF, 0xD8}, Segment(0xED, Bytes("Photoshop 3.0")), {0xFF, 0xE1, 0x10, 0x00}});
    std::string path = WriteTempFile(bytes, "truncated.jpg");
    AnalysisRun run = Analyze(path);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.exif,
              "Image cotains IPTC section, 15 bytes\r\n"
              "Fatal Error  : Premature end of file?\r\n"
              "Not JPEG: " + path + "\r\n");
    EXPECT_EQ(run.exifRed, "Fatal Error  : Premature end of file?\r\nNot JPEG: " + path + "\r\n");
    EXPECT_EQ(run.jpeg + run.iptc, "") << "no decoder and no summary after a failed read";
}

TEST(AnalyzeFile, FrameOnlyFilePrintsTheShortSummary) {
    std::vector<uint8_t> bytes = Concat({{0xFF, 0xD8}, Segment(0xC0, {8, 0x00, 0x78, 0x00, 0xA0, 1}),
                                         {0xFF, 0xDA, 0x00, 0x02}});
    std::string path = WriteTempFile(bytes, "frame-only.jpg");
    AnalysisRun run = Analyze(path);
    EXPECT_EQ(run.result, 1);
    std::vector<std::string> expectedStart = {"File name    : " + path, "File size    : " + std::to_string(bytes.size()) + " bytes"};
    EXPECT_EQ(run.jpeg.find(expectedStart[0] + "\r\n" + expectedStart[1] + "\r\nFile date    : "), 0u);
    size_t dateEnd = run.jpeg.find("\r\n", run.jpeg.find("File date"));
    EXPECT_EQ(run.jpeg.substr(dateEnd + 2), "Resolution   : 160 x 120\r\nColor/bw     : Black and white\r\n");
    EXPECT_EQ(run.exif, "");
}

TEST(AnalyzeFile, SameFileTwiceGivesTheSameReport) {
    std::vector<uint8_t> bytes = Concat({{0xFF, 0xD8}, Segment(0xFE, Bytes("hello")),
                                         Segment(0xC0, {8, 0, 2, 0, 3, 3}), Segment(0xED, Bytes("Photoshop 3.0")),
                                         {0xFF, 0xDA, 0x00, 0x02}});
    std::string path = WriteTempFile(bytes, "twice.jpg");
    AnalysisRun first = Analyze(path);
    AnalysisRun second = Analyze(path);
    EXPECT_EQ(first.result, 1);
    EXPECT_EQ(first.jpeg, second.jpeg);
    EXPECT_EQ(first.exif, second.exif);
    EXPECT_EQ(first.iptc, second.iptc);
    EXPECT_NE(first.jpeg.find("Comment      : hello\r\n"), std::string::npos);
}

TEST(AnalyzeFile, ACommentOfOneFileDoesNotReachTheNext) {
    std::string withComment = WriteTempFile(
        Concat({{0xFF, 0xD8}, Segment(0xFE, Bytes("note")), {0xFF, 0xDA, 0x00, 0x02}}), "commented.jpg");
    std::string plain = WriteTempFile(kMinimalJpeg, "plain.jpg");
    ReportCapture capture;
    Analyze(withComment, &capture);
    AnalysisRun run = Analyze(plain, &capture);
    EXPECT_EQ(run.jpeg.find("Comment"), std::string::npos);
}
