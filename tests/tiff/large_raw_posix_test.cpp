// A 60 MB RAW file costs its directories, their values and its preview,
// not its raw data: under a megabyte read, and less than twice the time of
// a JPEG that carries the same directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "analyze/analyze_file.h"
#include "hostile/child_run.h"
#include "support/byte_builder.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "tiff/tiff_container.h"

namespace {

constexpr uint64_t kRawFileBytes = 60ull << 20;
constexpr uint32_t kMadeRawStripBytes = 2048;  // the made NEF's raw strip, the last bytes of the file

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The made NEF (Motorola order) with its raw strip grown to fill 60 MB: its
// StripByteCounts entry says so, and the file is extended by a hole.
std::string MakeLargeRaw(const std::vector<uint8_t>& nef) {
    std::vector<uint8_t> bytes = nef;
    const std::vector<uint8_t> entry = {0x01, 0x17, 0x00, 0x04, 0, 0, 0, 1, 0, 0, 0x08, 0x00};
    auto at = std::search(bytes.begin(), bytes.end(), entry.begin(), entry.end());
    if (at == bytes.end()) return "";
    const uint32_t strip = static_cast<uint32_t>(kRawFileBytes - (bytes.size() - kMadeRawStripBytes));
    for (int i = 0; i < 4; i++) at[8 + i] = static_cast<uint8_t>(strip >> (24 - 8 * i));
    const std::string path = WriteTempFile(bytes, "large.nef");
    if (truncate(path.c_str(), static_cast<off_t>(kRawFileBytes)) != 0) return "";
    return path;
}

// The same directories as a JPEG's EXIF block, before a small frame; the
// NEF's preview is its thumbnail, in an IFD1 linked from IFD0 (whose 18
// entries end at byte 226).
std::string MakeJpegOfTheSameDirectories(const std::vector<uint8_t>& nef, const FoundBlock& preview) {
    ByteBuilder block;
    block.Append(std::vector<uint8_t>(nef.begin(), nef.end() - kMadeRawStripBytes));
    const uint32_t ifd1 = static_cast<uint32_t>(block.Size());
    for (int i = 0; i < 4; i++) block.bytes[226 + i] = static_cast<uint8_t>(ifd1 >> (24 - 8 * i));
    block.U16(3).U16(0x0103).U16(3).U32(1).U32(6u << 16);
    block.U16(0x0201).U16(4).U32(1).U32(static_cast<uint32_t>(preview.fileOffset));
    block.U16(0x0202).U16(4).U32(1).U32(static_cast<uint32_t>(preview.bytes.size())).U32(0);
    ByteBuilder frame;
    frame.U8(8).U16(4032).U16(6048).U8(1).U8(1).U8(0x11).U8(0);
    return WriteTempFile(Concat({{0xFF, 0xD8}, Segment(0xE1, Concat({Bytes(std::string("Exif\0\0", 6)), block.bytes})),
                                 Segment(0xC0, frame.bytes), {0xFF, 0xDA, 0x00, 0x02}}),
                         "same-directories.jpg");
}

// Microseconds a file of one round of analyses; the panes go to a sink of
// their own each round, as in a batch.
double RoundMicroseconds(const std::string& path) {
    ReportCapture capture;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; i++) AnalyzeFile(capture.analysis, path.c_str());
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / 40;
}

// The fastest round of each file, the two files taking turns so that a
// burst of load from other tests falls on both alike.
std::pair<double, double> FastestMicroseconds(const std::string& first, const std::string& second) {
    std::pair<double, double> fastest = {1e300, 1e300};
    for (int round = 0; round < 9; round++) {
        fastest.first = std::min(fastest.first, RoundMicroseconds(first));
        fastest.second = std::min(fastest.second, RoundMicroseconds(second));
    }
    return fastest;
}

TEST(LargeRaw, IsReadByItsDirectoriesNotItsPixels) {
    const std::vector<uint8_t> nef = ReadWhole(kPhotosDir + "/raw/nef-subifd-preview.nef");
    ASSERT_FALSE(nef.empty());
    const std::string raw = MakeLargeRaw(nef);
    ASSERT_FALSE(raw.empty()) << "the made NEF's raw strip entry was not found";

    FILE* file = std::fopen(raw.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ByteSource source = StreamSource(file);
    ReportCapture capture;
    TiffContainer tiff;
    EXPECT_TRUE(ReadTiffContainer(capture.report(), source, kRawFileBytes, FileType::Tiff, tiff));
    std::fclose(file);
    EXPECT_EQ(tiff.fileSize, kRawFileBytes);
    EXPECT_EQ(tiff.blocks.type, FileType::Nef);
    EXPECT_EQ(tiff.blocks.width, 6048);
    EXPECT_TRUE(tiff.blocks.preview.present);
    EXPECT_LE(source.bytesReadAt, 1u << 20);

    const std::string jpeg = MakeJpegOfTheSameDirectories(nef, tiff.blocks.preview);
    // A sanitizer's checks and shadow memory change where time goes. Under
    // the load of a parallel test run a sitting can still be unlucky: the
    // claim holds when one of three sittings shows it.
    bool faster = kSanitizedBuild;
    for (int sitting = 0; sitting < 3 && !faster; sitting++) {
        const auto [rawMicroseconds, jpegMicroseconds] = FastestMicroseconds(raw, jpeg);
        std::printf("60 MB NEF: %.1f us, JPEG of the same directories: %.1f us, %llu bytes read\n", rawMicroseconds,
                    jpegMicroseconds, static_cast<unsigned long long>(source.bytesReadAt));
        faster = rawMicroseconds < 2 * jpegMicroseconds;
    }
    EXPECT_TRUE(faster) << "the 60 MB NEF took twice the time of the JPEG or more in three sittings";
    std::remove(raw.c_str());
}

}  // namespace
