// The TIFF family told by its first bytes and its directories, the made
// files read as the peer readers read them, and hostile structures read
// with a message and within bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/detect_file_type.h"
#include "support/byte_builder.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "tiff/raf_container.h"
#include "tiff/tiff_container.h"

namespace {

struct Detection {
    std::string firstBytes;
    FileType type;
};

TEST(DetectFileType, TellsTheContainerByItsFirstBytes) {
    const Detection rows[] = {
        {std::string("\xFF\xD8\xFF\xE1", 4), FileType::Jpeg},
        {std::string("II*\0\x08\0\0\0", 8), FileType::Tiff},
        {std::string("MM\0*\0\0\0\x08", 8), FileType::Tiff},
        {std::string("IIRO\x08\0\0\0", 8), FileType::Orf},
        {std::string("IIRS\x08\0\0\0", 8), FileType::Orf},
        {std::string("MMOR\0\0\0\x08", 8), FileType::Orf},
        {std::string("IIU\0\x18\0\0\0", 8), FileType::Rw2},
        {"FUJIFILMCCD-RAW 0201", FileType::Raf},
        {"FUJIFILMCCD-RAW", FileType::Unknown},  // one byte short of the signature
        {std::string("II*", 3), FileType::Unknown},
        {std::string("MM*\0", 4), FileType::Unknown},
        {"\x89PNG\r\n\x1a\n", FileType::Unknown},
        {"", FileType::Unknown},
    };
    for (const Detection& row : rows) {
        const ByteView view = MakeView(reinterpret_cast<const uint8_t*>(row.firstBytes.data()), row.firstBytes.size());
        EXPECT_EQ(DetectFileType(view), row.type) << row.firstBytes;
    }
}

struct MadeFile {
    const char* path;  // under tests/photos
    const char* type;  // exiftool's FileType
    int64_t width;     // exiftool's ImageWidth and ImageHeight
    int64_t height;
    const char* previewWhere;  // "" when the walk's thumbnail is the one shown, or none
    bool xmp;
    bool iptc;
};

// What the files' layouts put where (make-containers.py); type and size as
// exiftool -n gives them for each file.
TEST(ReadContainer, ReadsTheMadeFilesAsThePeerReaders) {
    const MadeFile rows[] = {
        {"tiff/ii-strips-camera.tif", "TIFF", 48, 32, "", false, false},
        {"tiff/mm-strips-iptc-xmp.tif", "TIFF", 80, 60, "", true, true},
        {"tiff/ii-tiles-gps.tif", "TIFF", 128, 96, "", false, false},
        {"raw/dng-subifd-preview.dng", "DNG", 6016, 4016, "SubIFD1", true, false},
        {"raw/cr2-full-jpeg-and-thumbnail.cr2", "CR2", 64, 48, "", false, false},
        {"raw/nef-subifd-preview.nef", "NEF", 6048, 4032, "SubIFD0", false, false},
        {"raw/arw-ifd0-preview.arw", "ARW", 6000, 4000, "", false, false},
        {"raw/pef-ifd1-thumbnail.pef", "PEF", 6016, 4000, "", false, false},
        {"raw/orf-no-preview.orf", "ORF", 4032, 3024, "", false, false},
        {"raw/rw2-jpeg-in-ifd0.rw2", "RW2", 5200, 3900, "IFD0 tag 46 (JpgFromRaw)", false, false},
        {"raw/raf-embedded-jpeg.raf", "RAF", 64, 48, "", false, false},
        {"raw/nrw-coolpix-p7000.nrw", "NRW", 3664, 2744, "IFD0", false, false},
        {"raw/nef-named-as-tiff.tif", "NEF", 4288, 2848, "", false, false},
        {"raw/sr2-dsc-r1.sr2", "SR2", 3872, 2592, "", false, false},
        {"raw/srf-dsc-f828.srf", "SRF", 3264, 2448, "", false, false},
        {"raw/srw-nx100.srw", "SRW", 4640, 3080, "", false, false},
        {"raw/3fr-hasselblad-h3d.3fr", "3FR", 5412, 7216, "", false, false},
        {"raw/erf-epson-r-d1.erf", "ERF", 3040, 2024, "", false, false},
        {"raw/kdc-easyshare-p880.kdc", "KDC", 3296, 2472, "", false, false},
        {"raw/dcr-dcs-pro-14n.dcr", "DCR", 4500, 3000, "", false, false},
        {"raw/mos-leaf-aptus.mos", "MOS", 6666, 4992, "", false, false},
        {"raw/iiq-phase-one-iq180.iiq", "IIQ", 10328, 7760, "IFD0", false, false},
    };
    for (const MadeFile& row : rows) {
        const std::string path = kPhotosDir + "/" + row.path;
        FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr) << path;
        ByteSource source = StreamSource(file);
        uint8_t first[kDetectionBytes] = {};
        const FileType detected = DetectFileType(MakeView(first, SourceReadAt(source, 0, first, sizeof first)));
        ReportCapture capture;
        TiffContainer tiff;
        FoundBlocks& blocks = tiff.blocks;
        uint64_t size = 0;
        ASSERT_TRUE(SourceSize(source, &size));
        const bool read = detected == FileType::Raf ? ReadRafContainer(capture.report(), source, size, blocks)
                                                    : ReadTiffContainer(capture.report(), source, size, detected, tiff);
        std::fclose(file);
        EXPECT_TRUE(read) << row.path;
        EXPECT_STREQ(FileTypeName(blocks.type), row.type) << row.path;
        EXPECT_EQ(blocks.width, row.width) << row.path;
        EXPECT_EQ(blocks.height, row.height) << row.path;
        EXPECT_TRUE(blocks.exif.present) << row.path;
        const bool previewShown = blocks.preview.present && (detected != FileType::Raf);
        EXPECT_EQ(previewShown ? blocks.preview.where : std::string(), row.previewWhere) << row.path;
        if (previewShown) {
            EXPECT_EQ(blocks.preview.bytes.at(0) << 8 | blocks.preview.bytes.at(1), 0xFFD8) << row.path;
        }
        EXPECT_EQ(blocks.xmp.present, row.xmp) << row.path;
        EXPECT_EQ(blocks.iptc.present || blocks.photoshop.present, row.iptc) << row.path;
    }
}

// A TIFF in Intel order whose first directory lies at first.
ByteBuilder IntelTiff(uint32_t first) {
    ByteBuilder b;
    b.bigEndian = false;
    b.Text("II").U16(42).U32(first);
    return b;
}

ByteBuilder& Entry(ByteBuilder& b, unsigned tag, unsigned format, uint32_t count, uint32_t value) {
    return b.U16(tag).U16(format).U32(count).U32(value);
}

std::vector<uint8_t> FirstDirectoryFarAway() { return IntelTiff(0x7FFFFFF0).U16(0).U32(0).bytes; }

std::vector<uint8_t> DirectoryLinkedToItself() {
    ByteBuilder b = IntelTiff(8);
    Entry(b.U16(2), 0x0112, 3, 1, 1);
    Entry(b, 0x8769, 4, 1, 8);  // its Exif directory is itself too
    return b.U32(8).bytes;
}

// IFD0's SubIFDs: itself, and one whose SubIFD is IFD0 again.
std::vector<uint8_t> SubIfdLoop() {
    ByteBuilder b = IntelTiff(8);
    Entry(b.U16(1), 0x014A, 4, 2, 26);
    b.U32(0).U32(8).U32(34);
    Entry(b.U16(1), 0x014A, 13, 1, 8);
    return b.U32(0).bytes;
}

// A count near 2^32 and a value whose offset is the directory itself.
std::vector<uint8_t> CountsAndOffsetsThatLie() {
    ByteBuilder b = IntelTiff(8);
    Entry(b.U16(3), 0x0111, 4, 0xFFFFFFF0u, 8);
    Entry(b, 0x010E, 2, 30, 8);
    Entry(b, 0x0117, 4, 0x40000001u, 20);  // times four wraps 32 bits to 4
    return b.U32(0).bytes;
}

// Thousands of Exif links to thousands of places, each claiming the most
// entries a directory can have.
std::vector<uint8_t> FanOutOfLinks() {
    const unsigned links = 5000;
    const uint32_t claims = 8 + 2 + 12 * links + 4;
    ByteBuilder b = IntelTiff(8);
    b.U16(links);
    for (unsigned i = 0; i < links; i++) Entry(b, 0x8769, 4, 1, claims + 2 * i);
    return b.U32(0).Repeat(0xFF, 2 * links + 64).bytes;
}

struct HostileStructure {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;  // a line the read must give ("" for none)
    uint64_t mostBytesRead;
};

TEST(ReadContainer, HostileStructuresGiveMessagesWithinBounds) {
    const HostileStructure rows[] = {
        {"first directory far away", FirstDirectoryFarAway(), "First TIFF directory past the end of the file", 32},
        {"directory linked to itself", DirectoryLinkedToItself(), "", 64},
        {"SubIFD loop", SubIfdLoop(), "", 128},
        {"counts and offsets that lie", CountsAndOffsetsThatLie(), "", 128},
        {"fan-out of links", FanOutOfLinks(), ", rest not read", 20u << 20},
    };
    for (const HostileStructure& row : rows) {
        ByteSource source = MemorySource(MakeView(row.bytes));
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        TiffContainer tiff;
        EXPECT_TRUE(ReadTiffContainer(capture.report(), source, row.bytes.size(), FileType::Tiff, tiff)) << row.name;
        const std::string& text = capture.Text(ReportPane::Exif);
        if (row.message[0] == '\0') {
            EXPECT_EQ(text, "") << row.name;
        } else {
            EXPECT_NE(text.find(row.message), std::string::npos) << row.name << ": " << text;
        }
        EXPECT_LE(source.bytesReadAt, row.mostBytesRead) << row.name;
        EXPECT_LE(tiff.image.length, row.bytes.size()) << row.name;
    }
}

}  // namespace
