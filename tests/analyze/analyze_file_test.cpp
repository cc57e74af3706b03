#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "analyze/analyze_file.h"
#include "exif/exif_block_builder.h"
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

// The window's limit, which it sets; without it any path the system takes is taken.
TEST(AnalyzeFile, PathLengthLimitIs259BytesWhenSet) {
    std::string fits = PathOfLength(259);
    WriteTempFile(kMinimalJpeg, fits.substr(TempFolder().size() + 1));
    ReportCapture window;
    window.analysis.longestPathBytes = 259;
    AnalysisRun accepted = Analyze(fits, &window);
    EXPECT_EQ(accepted.result, 1);
    EXPECT_EQ(accepted.jpeg.find("File name    : " + fits + "\r\n"), 0u);

    // No name may pass 255 bytes: 300 bytes take a folder.
    const std::string folder = TempFolder() + "/" + std::string(150, 'd');
    std::filesystem::create_directories(folder);
    const std::string longer = folder + "/" + std::string(300 - folder.size() - 5, 'n') + ".jpg";
    WriteTempFile(kMinimalJpeg, longer.substr(TempFolder().size() + 1));
#ifndef _WIN32
    // Without the window's limit the system's own applies: none here (the
    // ANSI calls of Windows stop at MAX_PATH themselves).
    EXPECT_EQ(Analyze(longer).result, 1);
#endif
    AnalysisRun refused = Analyze(longer, &window);
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
        "RW2, RAF, HEIC, HEIF, AVIF, CR3, PNG and WebP files\r\n";
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
    EXPECT_EQ(run.result, 1) << "its Photoshop segment is whole: decoded for the data forms";
    EXPECT_EQ(run.exif,
              "Image cotains IPTC section, 15 bytes\r\n"
              "Fatal Error  : Premature end of file?\r\n"
              "Not JPEG: " + path + "\r\n");
    EXPECT_EQ(run.exifRed, "Fatal Error  : Premature end of file?\r\nNot JPEG: " + path + "\r\n");
    EXPECT_EQ(run.jpeg + run.iptc, "") << "the panes show no decoder and no summary after a failed read";
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

namespace {

#if defined(__GLIBC__)
// A stream whose every read fails with EIO, as a disk's bad sector does
// (made with the C library's fopencookie, which only glibc has).
ssize_t FailToRead(void*, char*, size_t) {
    errno = EIO;
    return -1;
}
#endif

std::string Codes(const Report& report) {
    std::string codes;
    for (const ReportedLine& line : report.lines) {
        if (line.code != nullptr) codes += std::string(codes.empty() ? "" : " ") + line.code;
    }
    return codes;
}

}  // namespace

// Why a file is not reported, as a stable code beside the text; a file cut
// before its image data still gives its whole metadata segments.
TEST(AnalyzeFile, RefusalsCarryTheirCodeAndCutFilesTheirMetadata) {
    exif_test::ExifBlockBuilder exif(true);
    const int dir = exif.Directory();
    exif.Add(dir, 0x010F, exif_test::kAscii, 4, Bytes(std::string("Cam\0", 4)));
    const std::vector<uint8_t> cutInTables = Concat({{0xFF, 0xD8}, Segment(0xE1, Concat({Bytes(std::string("Exif\0\0", 6)), exif.Tiff()})),
                                                     {0xFF, 0xDB, 0x00, 0x43, 0x00, 0x01}});
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool failsToRead;  // read through a stream whose reads fail
        bool reached;
        const char* codes;
        std::string lastText;  // empty: not checked
    } cases[] = {
        {"not-jpeg.jpg", {0x89, 'P', 'N', 'G'}, false, false, "not-jpeg", ""},
        {"cut-in-tables.jpg", cutInTables, false, true, "truncated truncated", "File ends at byte " + std::to_string(cutInTables.size()) + ", before its image data"},
        {"cut-no-metadata.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43}, false, false, "truncated not-jpeg", ""},
        {"bad-sector.jpg", {}, true, false, "read-error", "Read error: bad-sector.jpg"},
    };
    for (const auto& c : cases) {
        ReportCapture capture;
        bool reached = false;
        if (c.failsToRead) {
#if !defined(__GLIBC__)
            continue;
#else
            cookie_io_functions_t functions{};
            functions.read = FailToRead;
            FILE* stream = fopencookie(nullptr, "r", functions);
            reached = AnalyzeStream(capture.analysis, stream, c.name, SourceFacts{});
            std::fclose(stream);
            EXPECT_EQ(capture.analysis.report.lines.back().reason, std::strerror(EIO));
#endif
        } else {
            reached = AnalyzeFile(capture.analysis, WriteTempFile(c.bytes, c.name).c_str());
        }
        EXPECT_EQ(reached, c.reached) << c.name;
        EXPECT_EQ(Codes(capture.analysis.report), c.codes) << c.name;
        if (!c.lastText.empty()) {
            EXPECT_EQ(capture.analysis.report.lines.back().text, c.lastText) << c.name;
        }
        if (c.reached) {
            EXPECT_EQ(capture.analysis.decoded.exifEntries.size(), 1u) << c.name;
            EXPECT_EQ(capture.Text(ReportPane::Jpeg) + capture.Text(ReportPane::IptcXmp), "") << c.name;
            EXPECT_EQ(capture.analysis.thumbnail.width, 0) << c.name;
        }
    }
}
