// The walk of a TIFF-structured file by offset. It follows the links the
// EXIF walk follows (the next-directory chain, the Exif, GPS and
// Interoperability directories) and the SubIFDs, reading each directory and
// each value the EXIF walk will show into the sparse image, and notes on
// the way what tells the file's type, its main picture and its previews.
#include "tiff/tiff_container.h"

#include <string>
#include <utility>
#include <vector>

#include "exif/directory_walker.h"
#include "exif/value_format.h"
#include "report/report.h"
#include "tiff/tiff_file_type.h"

namespace {

// The image is allocated for the file, up to this: a directory or value
// beyond it is not read. Cameras put theirs within the first megabytes.
constexpr uint64_t kMostImageBytes = 512ull << 20;
// What the directories and their values may cost in all, and how many
// directories are read: a sound camera file has some tens of kilobytes in
// a dozen directories; links that fan out must not make that gigabytes.
constexpr uint64_t kMostStructureBytes = 4ull << 20;
constexpr size_t kMostDirectories = 256;
constexpr uint32_t kMostSubIfds = 64;
// The EXIF walk shows an entry of more components than this by its size
// alone, so its value is not read.
constexpr uint32_t kMostShownComponents = 0x10000;
// XMP, IPTC, Photoshop resources, a thumbnail or preview: larger ones are
// not read.
constexpr uint64_t kMostBlockBytes = 16ull << 20;

constexpr uint16_t kMagicTiff = 42;
constexpr uint16_t kMagicOrf = 0x4F52;  // "RO" read in the header's order
constexpr uint16_t kMagicOrfS = 0x5352;  // "RS"
constexpr uint16_t kMagicRw2 = 0x55;

constexpr int kFormatIfd = 13;  // a LONG that is a directory offset (SubIFDs)

enum class Role { Chain, Exif, Gps, Interop, SubIfd };

// One 12-byte entry and where its value lies in the file.
struct Entry {
    uint16_t tag = 0;
    int format = 0;
    uint32_t count = 0;
    uint64_t byteCount = 0;
    uint64_t valueOffset = 0;
};

// What one directory says of the picture it describes.
struct PictureFacts {
    bool hasSubfileType = false;
    uint32_t subfileType = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t compression = 0;
    uint32_t photometric = 2;  // RGB unless said
    uint64_t jpegOffset = 0;  // JPEGInterchangeFormat / Length
    uint64_t jpegLength = 0;
    uint32_t stripCount = 0;
    uint64_t stripOffset = 0;  // the first strip
    uint64_t stripLength = 0;
};

struct Preview {
    bool found = false;
    uint64_t offset = 0;
    uint64_t length = 0;
    int64_t width = 0;
    int64_t height = 0;
    std::string where;
};

struct TiffWalk {
    Report& report;
    ByteSource& source;
    TiffContainer& out;
    std::vector<std::pair<uint64_t, int>> visited;  // offset, shallowest level met at
    uint64_t structureBytes = 0;
    bool budgetSpent = false;
    int subIfdIndex = 0;
    TiffTypeClues clues;
    bool priorityFound = false;  // a directory said it holds the full-size picture
    int64_t mainWidth = 0;
    int64_t mainHeight = 0;
    Preview preview;
    uint64_t panasonicBorders[4] = {};  // RW2: top, left, bottom, right
};

// The image's memory: what was read into it, zero elsewhere.
ByteView Memory(const TiffWalk& walk) { return SparseImageMemory(walk.out.image); }

int FormatSize(int format) { return format == kFormatIfd ? 4 : FormatByteSize(format); }

// Charges a read of count bytes of structure; false, said once, when the
// budget cannot pay for it.
bool StructureAllows(TiffWalk& walk, uint64_t count) {
    if (!walk.budgetSpent && count <= kMostStructureBytes - walk.structureBytes) {
        walk.structureBytes += count;
        return true;
    }
    if (!walk.budgetSpent) {
        ReportNonfatal(walk.report, "TIFF structure over %llu MB, rest not read\r\n",
                       static_cast<unsigned long long>(kMostStructureBytes >> 20));
    }
    walk.budgetSpent = true;
    return false;
}

bool ReadStructure(TiffWalk& walk, uint64_t offset, uint64_t count) {
    if (offset >= walk.out.image.limit) return false;
    if (!StructureAllows(walk, count)) return false;
    return ReadIntoImage(walk.out.image, walk.source, offset, count);
}

uint16_t U16(const TiffWalk& walk, uint64_t offset) {
    uint16_t value = 0;
    ReadU16At(Memory(walk), static_cast<int64_t>(offset), walk.out.bigEndian, &value);
    return value;
}

uint32_t U32(const TiffWalk& walk, uint64_t offset) {
    uint32_t value = 0;
    ReadU32At(Memory(walk), static_cast<int64_t>(offset), walk.out.bigEndian, &value);
    return value;
}

Entry ReadEntry(const TiffWalk& walk, uint64_t at) {
    Entry entry;
    entry.tag = U16(walk, at);
    entry.format = U16(walk, at + 2);
    entry.count = U32(walk, at + 4);
    entry.byteCount = static_cast<uint64_t>(entry.count) * static_cast<uint64_t>(FormatSize(entry.format));
    entry.valueOffset = entry.byteCount <= 4 ? at + 8 : U32(walk, at + 8);
    return entry;
}

// Component index of a SHORT, LONG or IFD value, 0 otherwise.
uint64_t EntryNumber(const TiffWalk& walk, const Entry& entry, uint32_t index) {
    if (index >= entry.count) return 0;
    if (entry.format == static_cast<int>(ValueFormat::Short)) return U16(walk, entry.valueOffset + 2ull * index);
    if (entry.format == static_cast<int>(ValueFormat::Long) || entry.format == kFormatIfd) {
        return U32(walk, entry.valueOffset + 4ull * index);
    }
    return 0;
}

// The value's bytes as a block of its own: copied from the image when they
// lie in the file's first bytes read at the start, otherwise read from the
// source (a range the image only claims reads as zeros there).
bool TakeBlock(TiffWalk& walk, uint64_t offset, uint64_t length, const char* where, FoundBlock& block) {
    if (length == 0 || length > kMostBlockBytes) {
        if (length != 0) ReportNonfatal(walk.report, "%s of %llu bytes not read\r\n", where,
                                        static_cast<unsigned long long>(length));
        return false;
    }
    if (offset > walk.out.fileSize || length > walk.out.fileSize - offset) {
        ReportNonfatal(walk.report, "%s lies past the end of the file\r\n", where);
        return false;
    }
    block.bytes.resize(static_cast<size_t>(length));
    ByteView held;
    if (offset + length <= walk.out.image.loaded &&
        SubView(Memory(walk), static_cast<int64_t>(offset), static_cast<int64_t>(length), &held)) {
        block.bytes.assign(held.data, held.data + held.size);
    } else if (SourceReadAt(walk.source, offset, block.bytes.data(), block.bytes.size()) != length) {
        block.bytes.clear();
        ReportNonfatal(walk.report, "%s could not be read\r\n", where);
        return false;
    }
    block.present = true;
    block.fileOffset = offset;
    block.where = where;
    return true;
}

// The value as the EXIF walk will want it: read into the image, or for a
// maker note or a long value (shown by their size alone) only claimed.
void ReadEntryValue(TiffWalk& walk, const Entry& entry) {
    if (entry.byteCount <= 4 || entry.format < kLowestFormat || entry.format > kHighestFormat) return;
    if (entry.tag == 0x927C || entry.count > kMostShownComponents) {
        ClaimImageRange(walk.out.image, entry.valueOffset, entry.byteCount);
        return;
    }
    ReadStructure(walk, entry.valueOffset, entry.byteCount);
}

// The smallest JPEG preview inside the file is the one kept.
void ConsiderJpeg(TiffWalk& walk, const Preview& candidate) {
    const uint64_t size = walk.out.fileSize;
    if (candidate.offset == 0 || candidate.length == 0 || candidate.offset > size ||
        candidate.length > size - candidate.offset) {
        return;
    }
    if (!walk.preview.found || candidate.length < walk.preview.length) walk.preview = candidate;
}

// An ASCII value's first 64 bytes up to its NUL, without the blanks
// cameras pad Make and Model with.
std::string ShortText(const TiffWalk& walk, const Entry& entry) {
    ByteView text;
    if (!SubView(Memory(walk), static_cast<int64_t>(entry.valueOffset),
                 static_cast<int64_t>(entry.byteCount < 64 ? entry.byteCount : 64), &text)) {
        return "";
    }
    std::string value(reinterpret_cast<const char*>(text.data), text.size);
    value = value.substr(0, value.find('\0'));
    value.erase(value.find_last_not_of(' ') + 1);
    return value;
}

void NoteMainDirectoryFacts(TiffWalk& walk, const Entry& entry) {
    switch (entry.tag) {
        case 0x010F:
            walk.clues.make = ShortText(walk, entry);
            break;
        case 0x0110:
            walk.clues.model = ShortText(walk, entry);
            break;
        case 0xC612:
            walk.clues.dngVersion = true;
            break;
        case 0x0004:  // Panasonic's sensor borders: the picture lies inside them
        case 0x0005:
        case 0x0006:
        case 0x0007:
            if (walk.clues.header == FileType::Rw2) walk.panasonicBorders[entry.tag - 4] = EntryNumber(walk, entry, 0);
            break;
        case 0x002E:  // Panasonic's JpgFromRaw: a whole JPEG as the value
            if (walk.clues.header == FileType::Rw2 && entry.byteCount > 0) {
                ConsiderJpeg(walk, Preview{true, entry.valueOffset, entry.byteCount, 0, 0, "IFD0 tag 46 (JpgFromRaw)"});
            }
            break;
        case 700:
            TakeBlock(walk, entry.valueOffset, entry.byteCount, "IFD0 tag 700 (XMP)", walk.out.blocks.xmp);
            break;
        case 33723: {
            // Often stored as LONGs: the datasets are padded to a multiple of 4.
            std::vector<uint8_t>& bytes = walk.out.blocks.iptc.bytes;
            TakeBlock(walk, entry.valueOffset, entry.byteCount, "IFD0 tag 33723 (IPTC)", walk.out.blocks.iptc);
            while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
            break;
        }
        case 34377:
            TakeBlock(walk, entry.valueOffset, entry.byteCount, "IFD0 tag 34377 (Photoshop)",
                      walk.out.blocks.photoshop);
            break;
        default:
            break;
    }
}

void NotePictureFact(TiffWalk& walk, const Entry& entry, PictureFacts& facts) {
    switch (entry.tag) {
        case 0x00FE:
            facts.hasSubfileType = true;
            facts.subfileType = static_cast<uint32_t>(EntryNumber(walk, entry, 0));
            break;
        case 0x0100:
            facts.width = static_cast<int64_t>(EntryNumber(walk, entry, 0));
            break;
        case 0x0101:
            facts.height = static_cast<int64_t>(EntryNumber(walk, entry, 0));
            break;
        case 0x0103:
            facts.compression = static_cast<uint32_t>(EntryNumber(walk, entry, 0));
            if (walk.clues.rawCompression == 0 && IsMakerCompression(static_cast<uint16_t>(facts.compression))) {
                walk.clues.rawCompression = static_cast<uint16_t>(facts.compression);
            }
            break;
        case 0x0106:
            facts.photometric = static_cast<uint32_t>(EntryNumber(walk, entry, 0));
            break;
        case 0x0111:
            facts.stripCount = entry.count;
            facts.stripOffset = EntryNumber(walk, entry, 0);
            break;
        case 0x0117:
            facts.stripLength = EntryNumber(walk, entry, 0);
            break;
        case 0x0201:
            facts.jpegOffset = EntryNumber(walk, entry, 0);
            break;
        case 0x0202:
            facts.jpegLength = EntryNumber(walk, entry, 0);
            break;
        default:
            break;
    }
}

std::string DirectoryName(Role role, int index) {
    switch (role) {
        case Role::Chain:
            return FormatText("IFD%d", index);
        case Role::SubIfd:
            return FormatText("SubIFD%d", index);
        case Role::Exif:
            return "ExifIFD";
        case Role::Gps:
            return "GPS";
        case Role::Interop:
            return "InteropIFD";
    }
    return "";
}

// A JPEG-coded picture in IFD0 or a SubIFD that is not the raw data itself
// (lossless JPEG, Compression 7, holds the raw data of many DNG files).
void ConsiderPreview(TiffWalk& walk, const PictureFacts& facts, const std::string& name) {
    if (facts.compression != 6 && facts.compression != 7) return;
    uint64_t offset = facts.jpegOffset;
    uint64_t length = facts.jpegLength;
    if (offset == 0 || length == 0) {
        if (facts.stripCount != 1) return;
        if (facts.compression == 7 && facts.hasSubfileType && facts.subfileType == 0) return;
        offset = facts.stripOffset;
        length = facts.stripLength;
    }
    ConsiderJpeg(walk, Preview{true, offset, length, facts.width, facts.height, name});
}

void NotePicture(TiffWalk& walk, const PictureFacts& facts, Role role, int index, const std::string& name) {
    if (role != Role::Chain && role != Role::SubIfd) return;
    const bool first = role == Role::Chain && index == 0;
    // PhotometricInterpretation 0 and 1: white or black is zero.
    const bool grey = facts.photometric == 0 || facts.photometric == 1;
    if (first) walk.clues.firstHoldsJpeg = facts.compression == 6 && facts.jpegOffset != 0;
    if (first && !walk.priorityFound) {
        walk.mainWidth = facts.width;
        walk.mainHeight = facts.height;
        walk.out.grey = grey;
    }
    // The first directory that says it holds the full-size picture gives
    // the picture's size, as the peer readers take it; otherwise IFD0.
    if (facts.hasSubfileType && facts.subfileType == 0 && !walk.priorityFound) {
        walk.priorityFound = true;
        walk.out.grey = grey;
        if (facts.width > 0 && facts.height > 0) {
            walk.mainWidth = facts.width;
            walk.mainHeight = facts.height;
        }
    }
    // The EXIF walk shows and decodes the thumbnail of the directories after
    // IFD0 (IFD1's is the EXIF thumbnail): its bytes go into the image.
    if (role == Role::Chain && index > 0 && facts.jpegOffset != 0 && facts.jpegLength != 0) {
        if (facts.jpegLength <= kMostBlockBytes) ReadStructure(walk, facts.jpegOffset, facts.jpegLength);
        walk.out.chainThumbnail = true;
    }
    if (first || role == Role::SubIfd) ConsiderPreview(walk, facts, name);
}

void ReadDirectory(TiffWalk& walk, uint64_t offset, int level, Role role, int index);

void FollowLink(TiffWalk& walk, const Entry& entry, int level) {
    if (entry.count == 0) return;
    switch (entry.tag) {
        case 0x8769:
            ReadDirectory(walk, EntryNumber(walk, entry, 0), level + 1, Role::Exif, 0);
            break;
        case 0x8825:
            ReadDirectory(walk, EntryNumber(walk, entry, 0), level + 1, Role::Gps, 0);
            break;
        case 0xA005:
            ReadDirectory(walk, EntryNumber(walk, entry, 0), level + 1, Role::Interop, 0);
            break;
        default:
            break;
    }
}

void FollowSubIfds(TiffWalk& walk, const Entry& entry, int level) {
    const uint32_t count = entry.count < kMostSubIfds ? entry.count : kMostSubIfds;
    for (uint32_t i = 0; i < count; i++) {
        const uint64_t target = EntryNumber(walk, entry, i);
        if (target != 0) ReadDirectory(walk, target, level + 1, Role::SubIfd, walk.subIfdIndex++);
    }
}

bool AlreadyRead(TiffWalk& walk, uint64_t offset, int level) {
    for (std::pair<uint64_t, int>& seen : walk.visited) {
        if (seen.first != offset) continue;
        if (seen.second <= level) return true;
        seen.second = level;
        return false;
    }
    walk.visited.emplace_back(offset, level);
    return false;
}

void ReadDirectory(TiffWalk& walk, uint64_t offset, int level, Role role, int index) {
    if (level > kDeepestDirectoryLevel || offset == 0 || walk.budgetSpent) return;
    if (AlreadyRead(walk, offset, level)) return;
    if (walk.visited.size() > kMostDirectories) {
        if (walk.visited.size() == kMostDirectories + 1) {
            ReportNonfatal(walk.report, "More than %d TIFF directories, rest not read\r\n",
                           static_cast<int>(kMostDirectories));
        }
        return;
    }
    if (!ReadStructure(walk, offset, 2)) return;
    const uint16_t count = U16(walk, offset);
    const uint64_t end = offset + 2 + 12ull * count;
    ReadStructure(walk, offset + 2, 12ull * count + 4);
    const std::string name = DirectoryName(role, index);
    PictureFacts facts;
    for (uint16_t i = 0; i < count && !walk.budgetSpent; i++) {
        const Entry entry = ReadEntry(walk, offset + 2 + 12ull * i);
        ReadEntryValue(walk, entry);
        if (role == Role::Gps) continue;
        if (role == Role::Chain && index == 0) NoteMainDirectoryFacts(walk, entry);
        NotePictureFact(walk, entry, facts);
        if (entry.tag == 0x014A && (entry.format == static_cast<int>(ValueFormat::Long) ||
                                    entry.format == kFormatIfd)) {
            FollowSubIfds(walk, entry, level);
        } else {
            FollowLink(walk, entry, level);
        }
    }
    NotePicture(walk, facts, role, index, name);
    if (role == Role::Gps) return;
    const uint64_t next = U32(walk, end);
    if (next != 0) ReadDirectory(walk, next, level + 1, role, role == Role::Chain ? index + 1 : index);
}

bool ReadHeader(Report& report, TiffWalk& walk, FileType detected) {
    TiffContainer& out = walk.out;
    uint8_t header[16] = {};
    const size_t got = SourceReadAt(walk.source, 0, header, sizeof header);
    const ByteView view = MakeView(header, got);
    if (ViewMatches(view, 0, "II", 2)) {
        out.bigEndian = false;
    } else if (ViewMatches(view, 0, "MM", 2)) {
        out.bigEndian = true;
    } else {
        ReportNonfatal(report, "No TIFF header\r\n");
        return false;
    }
    uint16_t magic = 0;
    uint32_t first = 0;
    if (!ReadU16At(view, 2, out.bigEndian, &magic) || !ReadU32At(view, 4, out.bigEndian, &first) ||
        (magic != kMagicTiff && magic != kMagicOrf && magic != kMagicOrfS && magic != kMagicRw2)) {
        ReportNonfatal(report, "No TIFF header\r\n");
        return false;
    }
    out.firstDirectory = first;
    walk.clues.header = detected == FileType::Orf || detected == FileType::Rw2 ? detected : FileType::Tiff;
    // Canon's CR2 says "CR" and its version after the 8-byte TIFF header.
    if (ViewMatches(view, 8, "CR", 2) && first >= 10) walk.clues.header = FileType::Cr2;
    return true;
}

void TakePreview(TiffWalk& walk) {
    if (!walk.preview.found || walk.out.chainThumbnail) return;
    FoundBlocks& blocks = walk.out.blocks;
    if (!TakeBlock(walk, walk.preview.offset, walk.preview.length, walk.preview.where.c_str(), blocks.preview)) {
        return;
    }
    blocks.previewCoding = "JPEG";
    blocks.previewWidth = walk.preview.width;
    blocks.previewHeight = walk.preview.height;
}

}  // namespace

bool ReadTiffContainer(Report& report, ByteSource& source, uint64_t fileSize, FileType detected, TiffContainer& out) {
    out = TiffContainer{};
    out.fileSize = fileSize;
    TiffWalk walk{report, source, out, {}, 0, false, 0, TiffTypeClues{}, false, 0, 0, Preview{}, {}};
    if (!ReadHeader(report, walk, detected)) return false;
    const uint64_t limit = out.fileSize < kMostImageBytes ? out.fileSize : kMostImageBytes;
    if (!StartSparseImage(out.image, source, limit)) {
        ReportNonfatal(report, "Not enough memory for the TIFF structure\r\n");
        return false;
    }
    ReadIntoImage(out.image, source, 0, 8);
    if (out.firstDirectory >= limit) {
        ReportNonfatal(report, out.firstDirectory >= out.fileSize ? "First TIFF directory past the end of the file\r\n"
                                                                  : "First TIFF directory too far into the file\r\n");
    }
    ReadDirectory(walk, out.firstDirectory, 0, Role::Chain, 0);
    out.blocks.type = TiffFileType(walk.clues);
    out.blocks.exif.present = true;
    out.blocks.exif.where = "the file's TIFF structure";
    out.blocks.width = walk.mainWidth;
    out.blocks.height = walk.mainHeight;
    const uint64_t* borders = walk.panasonicBorders;
    if (borders[3] > borders[1] && borders[2] > borders[0]) {
        out.blocks.width = static_cast<int64_t>(borders[3] - borders[1]);
        out.blocks.height = static_cast<int64_t>(borders[2] - borders[0]);
    }
    TakePreview(walk);
    return true;
}
