// The container readers on our made files (where each block was found) and
// on damaged ones (tests/photos/containers-broken, made by
// make-heif-png-webp.py, and a few built here that are too large to keep):
// every damage is named, nothing is read outside the file, and the reads
// stay bounded.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analyze/container_blocks.h"
#include "support/byte_builder.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"

namespace {

struct Reading {
    bool read = false;
    FoundBlocks found;
    std::string errors;
    uint64_t bytesRead = 0;
};

Reading ReadSource(ByteSource& source) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    Reading reading;
    reading.read = ReadContainerBlocks(source, capture.report(), reading.found);
    reading.errors = capture.RedText(ReportPane::Exif);
    reading.bytesRead = source.bytesReadAt;
    return reading;
}

Reading ReadPhoto(const std::string& name) {
    FILE* stream = std::fopen((kPhotosDir + "/" + name).c_str(), "rb");
    if (stream == nullptr) return Reading{};
    ByteSource source = StreamSource(stream);
    Reading reading = ReadSource(source);
    std::fclose(stream);
    return reading;
}

// Where the generator put each block, and what it said of the pictures.
struct MadeFile {
    const char* file;
    const char* exifWhere;
    size_t moreExif;
    const char* previewCoding;
    int64_t previewWidth;
    int32_t rotation;
    int32_t mirrorAxis;
};

const MadeFile kMadeFiles[] = {
    {"heif/camera.heic", "HEIF item 4 (Exif)", 0, "HEVC", 64, -1, -1},
    {"heif/camera.avif", "HEIF item 3 (Exif)", 0, "AV1", 64, -1, -1},
    {"heif/idat-exif-turned.heif", "HEIF item 2 (Exif)", 0, "", 0, 90, 1},
    {"heif/canon-shaped.cr3", "CR3 box CMT1", 2, "JPEG", 320, -1, -1},
    {"png/imagemagick-profiles.png", "PNG chunk eXIf", 0, "", 0, -1, -1},
    {"png/exiftool-tags.png", "PNG chunk eXIf", 0, "", 0, -1, -1},
    {"webp/cwebp-exif.webp", "WebP chunk EXIF", 0, "", 0, -1, -1},
};

TEST(ContainerReaders, FindEachBlockWhereItWasPut) {
    for (const MadeFile& row : kMadeFiles) {
        const Reading reading = ReadPhoto(row.file);
        ASSERT_TRUE(reading.read) << row.file;
        EXPECT_EQ(reading.found.exif.where, row.exifWhere) << row.file;
        EXPECT_TRUE(ViewMatches(MakeView(reading.found.exif.bytes), 0, "II*\0", 4) ||
                    ViewMatches(MakeView(reading.found.exif.bytes), 0, "MM\0*", 4)) << row.file;
        EXPECT_EQ(reading.found.moreExif.size(), row.moreExif) << row.file;
        EXPECT_EQ(reading.found.previewCoding, row.previewCoding) << row.file;
        EXPECT_EQ(reading.found.previewWidth, row.previewWidth) << row.file;
        EXPECT_EQ(reading.found.rotationAnticlockwise, row.rotation) << row.file;
        EXPECT_EQ(reading.found.mirrorAxis, row.mirrorAxis) << row.file;
    }
}

struct DamagedFile {
    const char* file;
    const char* message;
};

const DamagedFile kDamagedFiles[] = {
    {"box-size-4.heic", "smaller than its header"},
    {"box-size-0-in-meta.heic", "the primary item 1 is not described"},
    {"box-64-bit-huge.heic", "box 'meta' at 20 of 18446744073709551600 bytes runs past"},
    {"box-past-file.heic", "box 'meta'"},
    {"box-past-parent.heic", "box 'iinf'"},
    {"extent-past-file.heic", "item 2 has an extent at"},
    {"extents-overlap.heic", "the extents of item 2 overlap"},
    {"references-loop.heic", "items 2 and 1 refer to each other"},
    {"nested-1000.cr3", "no Canon metadata box"},
    {"iloc-count-huge.heic", "the iloc box is cut off"},
    {"tiles-many-extents.heic", "the tiles of item 3 are too many to count"},
    {"exif-offset-outside.heic", "holds no TIFF header where it says"},
    {"cmt-not-tiff.cr3", "box 'CMT1' holds no TIFF header"},
    {"chunk-past-file.png", "chunk 'tEXt' at 33 of 65536 bytes runs past the end of the file"},
    {"profile-not-hex.png", "is not a profile in hex"},
    {"ztxt-not-zlib.png", "does not inflate"},
    {"bad-crc.png", "chunk 'IHDR' at 8 fails its CRC"},
    {"no-idat.png", "before its image data"},
    {"riff-size-past-file.webp", "the RIFF size says 4008 bytes, the file has 26"},
    {"chunk-past-riff.webp", "12 bytes follow the RIFF form's end"},
    {"exif-chunk-past-file.webp", "chunk 'EXIF' at 26 of 500 bytes runs past the end of the file"},
};

TEST(ContainerReaders, NameEveryDamage) {
    for (const DamagedFile& row : kDamagedFiles) {
        const Reading reading = ReadPhoto(std::string("containers-broken/") + row.file);
        EXPECT_TRUE(reading.read) << row.file;
        EXPECT_NE(reading.errors.find(row.message), std::string::npos) << row.file << ": " << reading.errors;
    }
}

// A deflate stream of count mebibytes of zeros: the first mebibyte, then
// the same compressed run again and again (after a full flush each run
// starts on a byte and refers back only to zeros).
std::vector<uint8_t> DeflatedZeros(int mebibytes) {
    std::vector<uint8_t> zeros(1 << 20, 0), run(1 << 16), out;
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    auto deflateOnce = [&](int flush) {
        stream.next_in = zeros.data();
        stream.avail_in = flush == Z_FINISH ? 0 : static_cast<uInt>(zeros.size());
        stream.next_out = run.data();
        stream.avail_out = static_cast<uInt>(run.size());
        deflate(&stream, flush);
        return std::vector<uint8_t>(run.begin(), run.end() - stream.avail_out);
    };
    out = deflateOnce(Z_FULL_FLUSH);
    const std::vector<uint8_t> middle = deflateOnce(Z_FULL_FLUSH);
    for (int i = 1; i < mebibytes; i++) out.insert(out.end(), middle.begin(), middle.end());
    const std::vector<uint8_t> end = deflateOnce(Z_FINISH);
    out.insert(out.end(), end.begin(), end.end());
    deflateEnd(&stream);
    return out;
}

std::vector<uint8_t> PngChunk(const char* type, const std::vector<uint8_t>& data) {
    ByteBuilder b;
    b.U32(static_cast<uint32_t>(data.size())).Text(type).Append(data);
    b.U32(static_cast<uint32_t>(crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(),
                                      static_cast<uInt>(data.size()))));
    return b.bytes;
}

TEST(ContainerReaders, StopAZtxtThatInflatesToGigabytes) {
    ByteBuilder ihdr;
    ihdr.U32(64).U32(48).U8(8).U8(2).U8(0).U8(0).U8(0);
    const std::vector<uint8_t> bomb = Concat({Bytes(std::string("Raw profile type exif\0\0", 23)), DeflatedZeros(2048)});
    const std::vector<uint8_t> file = Concat({Bytes("\x89PNG\r\n\x1a\n"), PngChunk("IHDR", ihdr.bytes),
                                              PngChunk("zTXt", bomb), PngChunk("IEND", {})});
    ByteSource source = MemorySource(MakeView(file));
    const auto start = std::chrono::steady_clock::now();
    const Reading reading = ReadSource(source);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NE(reading.errors.find("inflates to more than 16777216 bytes"), std::string::npos) << reading.errors;
    EXPECT_FALSE(reading.found.exif.present);
    EXPECT_LT(seconds, 2.0);
}

std::vector<uint8_t> BoxOf(const char* type, const std::vector<uint8_t>& payload, int version = -1) {
    ByteBuilder b;
    b.U32(static_cast<uint32_t>(payload.size() + (version < 0 ? 8 : 12))).Text(type);
    if (version >= 0) b.U32(static_cast<uint32_t>(version) << 24);
    return b.Append(payload).bytes;
}

TEST(ContainerReaders, ReadAFortyMegabyteHeicByItsBoxes) {
    const uint64_t pictureBytes = 40ull << 20;
    const std::vector<uint8_t> exif = Bytes(std::string("\0\0\0\0MM\0*\0\0\0\x08\0\0\0\0\0\0", 18));
    ByteBuilder locations, infe, mdatHeader, handler, primary;
    handler.U32(0).Text("pict").Repeat(0, 13);
    primary.U16(1);
    infe.U16(2).U16(0).Text("Exif").U8(0);
    const std::vector<uint8_t> itemInfo = BoxOf("iinf", Concat({{0, 1}, BoxOf("infe", infe.bytes, 2)}), 0);
    // The Exif item lies after the picture, at the end of the file.
    auto metaWith = [&](uint32_t exifOffset) {
        ByteBuilder iloc;
        iloc.U8(0x44).U8(0).U16(1).U16(2).U16(0).U16(1).U32(exifOffset).U32(static_cast<uint32_t>(exif.size()));
        return BoxOf("meta", Concat({BoxOf("hdlr", handler.bytes, 0), BoxOf("pitm", primary.bytes, 0),
                                     BoxOf("iloc", iloc.bytes, 0), itemInfo}), 0);
    };
    const std::vector<uint8_t> ftyp = BoxOf("ftyp", Bytes(std::string("heic\0\0\0\0mif1heic", 16)));
    const size_t mdatStart = ftyp.size() + metaWith(0).size();
    const uint32_t exifOffset = static_cast<uint32_t>(mdatStart + 16 + pictureBytes);
    mdatHeader.U32(1).Text("mdat").U32(0).U32(static_cast<uint32_t>(16 + pictureBytes + exif.size()));
    std::vector<uint8_t> file = Concat({ftyp, metaWith(exifOffset), mdatHeader.bytes});
    file.resize(file.size() + pictureBytes, 0x5A);
    file.insert(file.end(), exif.begin(), exif.end());
    ByteSource source = MemorySource(MakeView(file));
    const Reading reading = ReadSource(source);
    EXPECT_EQ(reading.found.exif.fileOffset, exifOffset + 4);
    EXPECT_EQ(reading.found.exif.bytes.size(), exif.size() - 4);
    EXPECT_LE(reading.bytesRead, 1u << 20);
}

}  // namespace

namespace {

// CR3 keeps the Exif and GPS directories in TIFF blocks of their own:
// both reach the EXIF decoder, as exiftool reads them (ISO 400, 51.5° N).
TEST(ContainerReaders, DecodeCr3ExifAndGpsBlocks) {
    FILE* stream = std::fopen((kPhotosDir + "/heif/canon-shaped.cr3").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ByteSource source = StreamSource(stream);
    ReportCapture capture;
    FoundBlocks found;
    ASSERT_TRUE(ReadContainerBlocks(source, capture.report(), found));
    std::fclose(stream);
    DecodeMoreFoundBlocks(capture.analysis, found);
    const DecodedData& decoded = capture.analysis.decoded;
    bool iso = false;
    for (const ExifEntryData& entry : decoded.exifEntries) {
        iso = iso || (entry.directory == DirectoryKind::Exif && entry.tag == 0x8827 &&
                      EntryIntegers(decoded, entry)[0] == 400);
    }
    EXPECT_TRUE(iso);
    EXPECT_TRUE(decoded.gps.hasLatitude);
    EXPECT_DOUBLE_EQ(decoded.gps.latitude, 51.5);
    EXPECT_EQ(capture.analysis.summary.isoSpeed, 400);
    EXPECT_NE(capture.Text(ReportPane::Exif).find("Maker notes 54 bytes"), std::string::npos) << capture.Text(ReportPane::Exif);
    EXPECT_EQ(capture.RedText(ReportPane::Exif), "");
}

}  // namespace
