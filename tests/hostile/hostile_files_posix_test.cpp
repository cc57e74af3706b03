// Files made to exhaust the reader: thousands of full-size metadata segments,
// multi-gigabyte files, directory chains that loop or fan out. Each is built
// in the temporary folder, part by part (this process never holds one whole,
// so its own size does not colour the child's measurements), and reported
// by pixloupe-report, whose time, peak memory and output are checked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "child_run.h"
#include "support/byte_builder.h"
#include "thumbnail/test_jpeg.h"

namespace {

// Memory and time the report of any one file must stay within; the checks
// allow generous margins over them so that a loaded machine does not fail
// a sound build.
constexpr long kPeakMemoryKb = 16 * 1024;
constexpr double kTimeBudgetMs = 100;
constexpr double kCpuMarginFactor = 5;
constexpr double kWallMarginFactor = 30;
// Sanitizer checks slow every run down many times over.
constexpr double kSanitizerSlowdown = 20;
constexpr double kKillAfterSeconds = 20;

constexpr uint64_t kFiveGigabytes = 5ull << 30;
constexpr size_t kLargestPayload = 65533;  // length field 65535
constexpr int kSegmentsOfEachKind = 1000;

// A TIFF block in Intel order, as it follows "Exif\0\0".
ByteBuilder IntelBlock() {
    ByteBuilder b;
    b.bigEndian = false;
    b.Text("II").U16(0x2A).U32(8);
    return b;
}

// One directory entry in the builder's byte order.
void Entry(ByteBuilder& b, unsigned tag, unsigned format, uint32_t count, uint32_t value) {
    b.U16(tag).U16(format).U32(count).U32(value);
}

std::vector<uint8_t> ExifPayload(const ByteBuilder& block) {
    return Concat({Bytes(std::string("Exif\0\0", 6)), block.bytes});
}

// Fills a payload with zero bytes up to the largest a segment holds.
std::vector<uint8_t> PadToLargest(std::vector<uint8_t> payload) {
    payload.resize(kLargestPayload, 0);
    return payload;
}

std::vector<uint8_t> Frame640x480() {
    ByteBuilder b;
    b.U8(8).U16(480).U16(640).U8(3).U8(1).U8(0x22).U8(0).U8(2).U8(0x11).U8(1).U8(3).U8(0x11).U8(1);
    return Segment(0xC0, b.bytes);
}

std::vector<uint8_t> StartOfScan() { return {0xFF, 0xDA, 0x00, 0x02}; }
std::vector<uint8_t> StartOfImage() { return {0xFF, 0xD8}; }

void Put(FILE* file, const std::vector<uint8_t>& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), file); }

// 1000 each of full-size EXIF, APP13 and XMP segments before the frame.
void WriteThousandsOfMetadataSegments(FILE* file) {
    ByteBuilder block = IntelBlock();
    block.U16(0).U32(0);  // an empty first directory, no next one
    std::vector<uint8_t> exif = Segment(0xE1, PadToLargest(ExifPayload(block)));
    std::vector<uint8_t> photoshop = Segment(0xED, PadToLargest(Bytes(std::string("Photoshop 3.0\0", 14))));
    std::vector<uint8_t> xmp = Bytes(std::string("http://ns.adobe.com/xap/1.0/\0", 29));
    xmp.resize(kLargestPayload, ' ');
    std::vector<uint8_t> xmpSegment = Segment(0xE1, xmp);
    Put(file, StartOfImage());
    for (int i = 0; i < kSegmentsOfEachKind; i++) {
        Put(file, exif);
        Put(file, photoshop);
        Put(file, xmpSegment);
    }
    Put(file, Frame640x480());
    Put(file, StartOfScan());
}

// A complete small header; the gigabytes that follow are a hole.
void WriteHeaderBeforeHole(FILE* file) {
    ByteBuilder block = IntelBlock();
    block.U16(0).U32(0);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, ExifPayload(block)));
    Put(file, Frame640x480());
    Put(file, StartOfScan());
}

void WriteOnlyStartOfImage(FILE* file) { Put(file, StartOfImage()); }

// A first directory whose next-directory link is itself.
void WriteSelfLinkedChain(FILE* file) {
    ByteBuilder block = IntelBlock();
    block.U16(1);
    Entry(block, 0x0112, 3, 1, 1);  // Orientation: normal
    block.U32(8);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, ExifPayload(block)));
    Put(file, StartOfScan());
}

// A first directory of as many entries as a segment holds, each an EXIF
// sub-directory link back to the directory itself: every level multiplies
// the walk by the entry count.
void WriteFanOutOfSelfLinks(FILE* file) {
    ByteBuilder block = IntelBlock();
    const unsigned entries = (kLargestPayload - 6 - 8 - 2 - 4) / 12;
    block.U16(entries);
    for (unsigned i = 0; i < entries; i++) Entry(block, 0x8769, 4, 1, 8);
    block.U32(8);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, PadToLargest(ExifPayload(block))));
    Put(file, StartOfScan());
}

// A directory of thousands of entries that all hold the same long value,
// linked to itself: the value is small in the file and huge in the listing
// (a text) or in the data kept (zero bytes, shown as an empty text but kept
// as eight bytes a component).
void WriteSharedLongValue(FILE* file, unsigned format, uint8_t fill) {
    ByteBuilder block = IntelBlock();
    const unsigned entries = 2700;
    const uint32_t textOffset = 8 + 2 + 12 * entries + 4;
    const uint32_t textLength = static_cast<uint32_t>(kLargestPayload - 6 - textOffset);
    block.U16(entries);
    for (unsigned i = 0; i < entries; i++) Entry(block, 0x010E, format, textLength, textOffset);
    block.U32(8);
    block.Repeat(fill, textLength);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, ExifPayload(block)));
    Put(file, StartOfScan());
}

// Thousands of GPS links to one GPS directory whose one entry is long text.
void WriteGpsFanOut(FILE* file) {
    ByteBuilder block = IntelBlock();
    const unsigned links = 4000;
    const uint32_t gpsOffset = 8 + 2 + 12 * links + 4;
    const uint32_t textOffset = gpsOffset + 2 + 12 + 4;
    const uint32_t textLength = static_cast<uint32_t>(kLargestPayload - 6 - textOffset);
    block.U16(links);
    for (unsigned i = 0; i < links; i++) Entry(block, 0x8825, 4, 1, gpsOffset);
    block.U32(0);
    block.U16(1);
    Entry(block, 27, 7, textLength, textOffset);  // ProcessingMethod, UNDEFINED
    block.U32(0);
    block.Repeat('G', textLength);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, ExifPayload(block)));
    Put(file, StartOfScan());
}

// A thumbnail of a few hundred bytes whose header claims side x side pixels.
// At 8000 memory for them must not be taken before the picture proves it
// has them; at 1024 the decoder fills the megapixel in from the few bytes,
// and five links of the directory to itself reach it 781 times.
void WriteThumbnailClaiming(FILE* file, unsigned side, bool loopingLinks) {
    std::vector<uint8_t> thumbnail = ClaimFrameSize(MakeTestJpeg(16, 16), side, side);
    ByteBuilder block = IntelBlock();
    const unsigned entries = loopingLinks ? 7 : 2;
    const uint32_t thumbnailOffset = 8 + 2 + entries * 12 + 4;
    block.U16(entries);
    Entry(block, 0x0201, 4, 1, thumbnailOffset);
    Entry(block, 0x0202, 4, 1, static_cast<uint32_t>(thumbnail.size()));
    for (unsigned i = 2; i < entries; i++) Entry(block, 0x8769, 4, 1, 8);
    block.U32(0);
    block.Append(thumbnail);
    Put(file, StartOfImage());
    Put(file, Segment(0xE1, ExifPayload(block)));
    Put(file, StartOfScan());
}

// A TIFF file whose first directory lies 3.75 GB in, inside a hole: past
// what the reader allocates for a file's structure.
void WriteTiffDirectoryFarIn(FILE* file) {
    ByteBuilder b = IntelBlock();
    b.bytes[4] = 0;
    b.bytes[7] = 0xF0;  // first directory at 0xF0000000
    Put(file, b.bytes);
}

// Thousands of Exif links from IFD0 of a TIFF file, each to a place where
// 0xFF bytes claim a directory of 65535 entries, before a hole.
void WriteTiffFanOutOfClaims(FILE* file) {
    ByteBuilder b = IntelBlock();
    const unsigned links = 5000;
    const uint32_t claims = 8 + 2 + 12 * links + 4;
    b.U16(links);
    for (unsigned i = 0; i < links; i++) Entry(b, 0x8769, 4, 1, claims + 16 * i);
    b.U32(0).Repeat(0xFF, 16 * links + 64);
    Put(file, b.bytes);
}

// IFD0 whose SubIFDs are itself and a directory whose SubIFD and next
// directory are IFD0.
void WriteTiffSubIfdLoop(FILE* file) {
    ByteBuilder b = IntelBlock();
    b.U16(2);
    Entry(b, 0x0112, 3, 1, 1);
    Entry(b, 0x014A, 4, 2, 38);
    b.U32(8).U32(8).U32(46);
    b.U16(1);
    Entry(b, 0x014A, 4, 1, 8);
    b.U32(8);
    Put(file, b.bytes);
}

struct LineCount {
    std::string text;  // a line holding this text
    int count;         // how many such lines
};

struct HostileFile {
    const char* name;
    std::function<void(FILE*)> write;
    uint64_t holeUpTo;  // 0: the file is what was written; otherwise extended by a hole
    int exitCode;
    std::vector<LineCount> lines;
};

int CountLinesHolding(const std::vector<std::string>& lines, const std::string& text) {
    int count = 0;
    for (const std::string& line : lines) count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

const std::vector<HostileFile>& HostileFiles() {
    static const std::vector<HostileFile> files = {
        {"thousands_of_metadata_segments", WriteThousandsOfMetadataSegments, 0, 0,
         {{"Image cotains IPTC section, 65535 bytes", kSegmentsOfEachKind},
          {"Image cotains XMP section, 65535 bytes", kSegmentsOfEachKind},
          {"Exif header 65535 bytes", 1},
          {"IPTC sec size: 65535", 1},
          {"XMP sec size : 65535", 1},
          {"Resolution   : 640 x 480", 1}}},
        {"five_gigabytes_after_the_scan_start", WriteHeaderBeforeHole, kFiveGigabytes, 0,
         {{"File size    : 5368709120 bytes", 1}, {"Resolution   : 640 x 480", 1}, {"Exif header", 1}}},
        {"five_gigabytes_of_zero_bytes", WriteOnlyStartOfImage, kFiveGigabytes, 1,
         {{"Fatal Error  : invalid marker", 1}, {"Not JPEG: ", 1}}},
        {"directory_linked_to_itself", WriteSelfLinkedChain, 0, 0,
         {{"Map: 00008 - 00026: Directory(dir has 1 entries)", 5},
          {"Maximum directory nesting exceeded(corrupt exif header)", 1},
          {"Orientation = 1", 5}}},
        {"fan_out_of_self_links", WriteFanOutOfSelfLinks, 0, 0,
         {{"Map: 65527 - End of exif", 1}}},
        {"one_long_text_shown_by_thousands_of_entries", [](FILE* file) { WriteSharedLongValue(file, 2, 'A'); }, 0, 0,
         {{"Map: 65527 - End of exif", 1}}},
        {"one_long_byte_value_kept_by_thousands_of_entries",
         [](FILE* file) { WriteSharedLongValue(file, 1, 0); }, 0, 0,
         {{"Map: 65527 - End of exif", 1}, {"Exif listing too long", 1}}},
        {"thousands_of_links_to_one_gps_directory", WriteGpsFanOut, 0, 0,
         {{"Map: 65527 - End of exif", 1}}},
        {"thumbnail_claiming_eight_thousand_pixels_square",
         [](FILE* file) { WriteThumbnailClaiming(file, 8000, false); }, 0, 0,
         {{"(Thumbnail size: ", 1}, {"Image contains no thumbnail", 1}}},
        {"tiff_directory_3_75_gigabytes_in", WriteTiffDirectoryFarIn, kFiveGigabytes, 0,
         {{"First TIFF directory too far into the file", 1}, {"File type    : TIFF", 1}}},
        {"tiff_fan_out_of_links_to_claimed_directories", WriteTiffFanOutOfClaims, 100u << 20, 0,
         {{"TIFF structure over 4 MB, rest not read", 1}, {"Exif listing too long", 1}}},
        {"tiff_subifd_loop", WriteTiffSubIfdLoop, 0, 0,
         {{"Exif listing too long", 0}, {"File type    : TIFF", 1}}},  // the levels end the loops
        {"megapixel_thumbnail_of_a_few_bytes_behind_looping_links",
         [](FILE* file) { WriteThumbnailClaiming(file, 1024, true); }, 0, 0,
         {{"Thumbnail: 1024 x 1024", 1}, {"Thumbnail res: 1024 x 1024", 1}, {"Exif listing too long", 1}}},
    };
    return files;
}

std::string BuildHostileFile(const HostileFile& hostile) {
    std::string path = TempFolder() + "/" + hostile.name + ".jpg";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    hostile.write(file);
    std::fclose(file);
    if (hostile.holeUpTo != 0 && truncate(path.c_str(), static_cast<off_t>(hostile.holeUpTo)) != 0) {
        ADD_FAILURE() << "could not extend " << path;
    }
    return path;
}

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const HostileFile& hostile, std::ostream* out) { *out << hostile.name; }

class HostileFileTest : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileFileTest, IsReportedInBoundedTimeAndMemory) {
    const HostileFile& hostile = GetParam();
    std::string path = BuildHostileFile(hostile);
    ChildRun run = RunChild({PIXLOUPE_REPORT_EXE, "--color=never", path}, kKillAfterSeconds);
    std::remove(path.c_str());

    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timedOut) << "still running after " << kKillAfterSeconds << " s";
    ASSERT_EQ(run.signalNumber, 0) << run.err;
    EXPECT_EQ(run.exitCode, hostile.exitCode) << run.err;
    EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;

    const double slowdown = kSanitizedBuild ? kSanitizerSlowdown : 1;
    EXPECT_LT(run.cpuMs, kTimeBudgetMs * kCpuMarginFactor * slowdown);
    EXPECT_LT(run.wallMs, kTimeBudgetMs * kWallMarginFactor * slowdown);
    if (!kSanitizedBuild) {
        EXPECT_LT(run.peakKb, kPeakMemoryKb);
    }
    RecordProperty("cpu_ms", static_cast<int>(run.cpuMs));
    RecordProperty("peak_kb", static_cast<int>(run.peakKb));
    std::printf("%s: %.1f ms cpu, %.1f ms wall, %ld KB peak, %zu bytes of output\n", hostile.name, run.cpuMs,
                run.wallMs, run.peakKb, run.out.size());

    std::vector<std::string> lines = OutputLines(run.out);
    for (const LineCount& expected : hostile.lines) {
        EXPECT_EQ(CountLinesHolding(lines, expected.text), expected.count) << expected.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, ::testing::ValuesIn(HostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile>& info) { return info.param.name; });

}  // namespace
