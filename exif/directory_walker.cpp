// The walk of the EXIF directories: their entries listed and kept as data,
// the summary record filled, and every link followed.
#include "exif/directory_walker.h"

#include <cstring>
#include <string>
#include <utility>

#include "core/detect_file_type.h"
#include "exif/directory_entry.h"
#include "exif/exif_walk.h"
#include "exif/gps_directory.h"
#include "exif/record_updates.h"
#include "exif/tag_names.h"
#include "exif/tag_numbers.h"
#include "exif/value_format.h"
#include "exif/walk_budget.h"
#include "report/report.h"
#include "core/thumbnail.h"

namespace {

constexpr uint16_t kTagSubIfds = 0x014A;

// A TIFF-structured file holds values far longer than an APP1 segment can
// (strip tables, previews, private blocks): those of more components than
// this are shown by their size, as a maker note is.
constexpr uint32_t kMostListedComponents = 0x10000;
constexpr int64_t kMostSubIfds = 64;

// Whole blocks a TIFF-structured file keeps as values: XMP, IPTC, Photoshop
// resources, an ICC profile, Panasonic's embedded JPEG. Their own decoders
// show them; the listing gives their size.
bool IsBlockTag(uint16_t tag) {
    return tag == 700 || tag == 33723 || tag == 34377 || tag == 34675 || tag == 0x002E;
}

// Older editors cut the thumbnail off the end of the block but left the
// link to its directory; a link this close past the end is one of those.
constexpr int64_t kRemovedThumbnailSlack = 20;

struct ThumbnailPlace {
    int32_t offset = 0;
    int32_t length = 0;
};

// One directory of the walk: where it was reached from and what its
// entries said of the thumbnail.
struct DirectoryWalk {
    ExifWalk& exif;
    Analysis& analysis;
    Report& report;
    ImageSummary& summary;
    ByteView block;
    int level;
    DirectoryKind kind;
    std::string indent;
    ThumbnailPlace thumbnail;
};

// A RATIONAL, SRATIONAL or DOUBLE of no components: the listing would show
// the entry's four inline bytes as a value and the summary would read eight
// bytes from there, so neither takes anything from it.
bool HasNoOwnBytes(const DirectoryEntry& entry) {
    return entry.componentCount == 0 && FormatByteSize(entry.format) == 8;
}

std::string EntryValueText(Report& report, const DirectoryEntry& entry, int bigEndian) {
    std::string text;
    if (HasNoOwnBytes(entry)) return text;
    switch (static_cast<ValueFormat>(entry.format)) {
        case ValueFormat::Byte:
            // BYTE text of two bytes or more is UTF-16LE, as the Windows XP tags store it.
            if (entry.byteCount >= 2) {
                text = Utf16ValueText(entry.value, entry.byteCount);
            } else {
                AppendValueList(report, text, entry.value, bigEndian, entry.format, entry.byteCount);
            }
            break;
        case ValueFormat::Ascii:
        case ValueFormat::Undefined:
            text = QuotedValueText(entry.value, entry.byteCount);
            break;
        default:
            AppendValueList(report, text, entry.value, bigEndian, entry.format, entry.byteCount);
            break;
    }
    return text;
}

// The values an entry keeps as data: none of a maker note, which is only
// counted, nor of an 8-byte value of no components.
size_t KeptBytes(const DirectoryEntry& entry, bool withValue) {
    return withValue ? DataBytesOfValues(entry.format, static_cast<uint32_t>(entry.componentCount)) : 0;
}

// False, with nothing shown, when the walk's budget cannot pay for the line
// and the values it keeps: a value shown short can be long as data.
bool PrintEntry(DirectoryWalk& walk, const DirectoryEntry& entry, const char* name) {
    const std::string value = EntryValueText(walk.report, entry, walk.summary.bigEndian);
    const size_t kept = KeptBytes(entry, !HasNoOwnBytes(entry));
    if (walk.report.sink == nullptr) {
        // The label's length alone: "Unknown Tag %04x" of a 16-bit tag is 16 bytes.
        const size_t nameBytes = name != nullptr ? std::strlen(name) : sizeof "Unknown Tag 0000" - 1;
        return CountEntry(walk.exif, walk.indent.size() + 4 + nameBytes, value.size(), name != nullptr, kept);
    }
    std::string label = walk.indent;
    label += "    ";
    if (name != nullptr) {
        label += name;
    } else {
        label += FormatText("Unknown Tag %04x", entry.tag);
    }
    return ShowEntry(walk.exif, std::move(label), value, name != nullptr, kept);
}

// Offsets of links count from the block's start.
int64_t LinkTarget(const DirectoryEntry& entry, int bigEndian) {
    return ReadS32(entry.value, 0, bigEndian);
}

bool TargetInBlock(const DirectoryWalk& walk, int64_t target) {
    return target >= 0 && target <= static_cast<int64_t>(walk.block.size);
}

// The walk of a file that is its own TIFF structure; a JPEG's EXIF block
// is walked as it always was.
bool WalksFile(const DirectoryWalk& walk) { return IsTiffStructured(walk.summary.fileType); }

void FollowSubIfds(DirectoryWalk& walk, const DirectoryEntry& entry) {
    const int64_t count = entry.componentCount < kMostSubIfds ? entry.componentCount : kMostSubIfds;
    for (int64_t i = 0; i < count; i++) {
        AppendReportFormat(walk.report, "%s    SubIFD %d:\r\n", walk.indent.c_str(), static_cast<int>(i));
        const int64_t target = static_cast<uint32_t>(ReadS32(entry.value, 4 * i, walk.summary.bigEndian));
        if (!TargetInBlock(walk, target)) {
            ReportNonfatal(walk.report, "Illegal SubIFD link\r\n");
        } else {
            WalkExifDirectory(walk.exif, target, walk.level + 1, DirectoryKind::SubIfd);
        }
    }
}

void FollowLinks(DirectoryWalk& walk, const DirectoryEntry& entry) {
    const int bigEndian = walk.summary.bigEndian;
    switch (entry.tag) {
        case kTagExifOffset:
        case kTagInteropOffset: {
            const bool exif = entry.tag == kTagExifOffset;
            AppendReportFormat(walk.report, exif ? "%s    Exif Dir:\r\n" : "%s    Interop Dir:\r\n",
                               walk.indent.c_str());
            int64_t target = LinkTarget(entry, bigEndian);
            if (!TargetInBlock(walk, target)) {
                ReportNonfatal(walk.report, "Illegal exif or interop ofset directory link\r\n");
            } else {
                WalkExifDirectory(walk.exif, target, walk.level + 1, exif ? DirectoryKind::Exif : DirectoryKind::Interop);
            }
            break;
        }
        case kTagGpsOffset: {
            int64_t target = LinkTarget(entry, bigEndian);
            if (!TargetInBlock(walk, target)) {
                ReportNonfatal(walk.report, "Illegal GPS directory link\r\n");
            } else {
                DecodeGpsDirectory(walk.exif, target, walk.level + 1);
            }
            break;
        }
        case kTagThumbnailOffset:
            walk.thumbnail.offset =
                DoubleToInt32(ValueAsDouble(walk.report, entry.format, entry.valueToBlockEnd, bigEndian));
            break;
        case kTagThumbnailLength:
            walk.thumbnail.length =
                DoubleToInt32(ValueAsDouble(walk.report, entry.format, entry.valueToBlockEnd, bigEndian));
            break;
        case kTagSubIfds:
            if (WalksFile(walk) && FormatByteSize(entry.format) == 4) FollowSubIfds(walk, entry);
            break;
        default:
            break;
    }
}

// A long value of a TIFF-structured file, shown by its size.
void ShowLongValue(DirectoryWalk& walk, const DirectoryEntry& entry, const char* name) {
    const std::string label = name != nullptr ? std::string(name) : FormatText("Unknown Tag %04x", entry.tag);
    AppendReportFormat(walk.report, "%s    %s:(%lld bytes)\r\n", walk.indent.c_str(), label.c_str(),
                       static_cast<long long>(entry.byteCount));
    KeepEntry(walk.exif, entry, walk.kind, name, false);
}

void WalkEntry(DirectoryWalk& walk, int64_t entryOffset) {
    DirectoryEntry entry;
    if (!ReadCheckedEntry(walk.exif, entryOffset, !WalksFile(walk), &entry)) return;
    const char* name = FindTagName(entry.tag);
    if (entry.tag == kTagMakerNote) {
        AppendReportFormat(walk.report, "%s    Maker note:(%d bytes)\r\n", walk.indent.c_str(),
                           static_cast<int>(entry.byteCount));
        KeepEntry(walk.exif, entry, walk.kind, name, false);
        return;
    }
    if (static_cast<uint32_t>(entry.componentCount) > kMostListedComponents ||
        (WalksFile(walk) && IsBlockTag(entry.tag))) {
        ShowLongValue(walk, entry, name);
        return;
    }
    if (!PrintEntry(walk, entry, name)) return;
    KeepEntry(walk.exif, entry, walk.kind, name, !HasNoOwnBytes(entry));
    if (!HasNoOwnBytes(entry)) ApplyRecordUpdate(walk.analysis, entry);
    FollowLinks(walk, entry);
}

// The directory after this one: the thumbnail's after the first, and
// any further ones counted with it.
DirectoryKind NextDirectoryKind(DirectoryKind kind) {
    return kind == DirectoryKind::Ifd0 ? DirectoryKind::Ifd1 : kind;
}

void FollowNextDirectory(DirectoryWalk& walk, int64_t directoryEnd) {
    if (walk.exif.budget.exhausted) return;
    Report& report = walk.report;
    const int64_t blockLength = static_cast<int64_t>(walk.block.size);
    // A directory at the very end of the block may have no room for the link.
    if (directoryEnd + 4 > blockLength) return;
    int64_t target = ReadS32(walk.block, directoryEnd, walk.summary.bigEndian);
    if (target == 0) return;
    if (target > blockLength) {
        if (target < blockLength + kRemovedThumbnailSlack) {
            ReportMessage(report, "Thumbnail removed by an older editor\r\n");
        } else {
            ReportNonfatal(report, "Illegal subdirectory link\r\n");
        }
        return;
    }
    if (target < 0) {
        ReportNonfatal(report, "Illegal subdirectory link\r\n");
        return;
    }
    WalkExifDirectory(walk.exif, target, walk.level + 1, NextDirectoryKind(walk.kind));
}

void ShowThumbnail(DirectoryWalk& walk) {
    if (walk.exif.budget.exhausted) return;
    Report& report = walk.report;
    const ThumbnailPlace place = walk.thumbnail;
    if (place.offset == 0 || place.length == 0) return;
    const int64_t blockLength = static_cast<int64_t>(walk.block.size);
    AppendReportFormat(report, "%sMap: %05d - %05lld: Thumbnail", walk.indent.c_str(), place.offset,
                       static_cast<long long>(place.offset) + place.length);
    // Offset and length are unsigned in the file: a negative one is huge.
    const int64_t offset = static_cast<uint32_t>(place.offset);
    int64_t length = static_cast<uint32_t>(place.length);
    if (offset > blockLength) {
        AppendReport(report, "\r\n");  // nothing of it lies in the block; end the map line
        return;
    }
    if (length > blockLength - offset) {
        ReportMessage(report, "Thumbnail incorrectly placed in header\r\n");
        length = blockLength - offset;
    }
    AppendReportFormat(report, "(Thumbnail size: %d bytes)\r\n", static_cast<int>(length));
    // In a TIFF-structured file the EXIF thumbnail is IFD1's; a JPEG in
    // IFD0 or a SubIFD is a preview, which the file's reader chooses among
    // all of them, and its bytes are not in the walk's block.
    if (walk.kind == DirectoryKind::SubIfd || (WalksFile(walk) && walk.kind == DirectoryKind::Ifd0)) return;
    // Decoding is paid for from the same budget as showing: a thumbnail met
    // again and again through looping links is decoded only while it lasts.
    ByteView bytes;
    SubView(walk.block, offset, length, &bytes);
    if (!SpendExifWalkBudgetOnDecode(walk.exif.budget, report, ThumbnailDecodeCost(bytes))) return;
    int width = 0;
    int height = 0;
    // Without a picture to show, the frame header tells the size: a
    // fraction of the decode's cost. The budget is charged the same either
    // way, so that the walk lists the same entries.
    const bool sized = walk.analysis.decodeThumbnails ? DecodeThumbnail(walk.analysis.thumbnail, bytes, &width, &height)
                                                      : ReadJpegFrameSize(bytes, &width, &height);
    if (!sized && walk.analysis.decodeThumbnails) walk.analysis.decoded.thumbnailUndecodable = true;
    if (sized) {
        walk.summary.thumbnailPixelWidth = width;
        walk.summary.thumbnailPixelHeight = height;
    }
    walk.summary.thumbnailBytes = static_cast<int32_t>(length);
}

}  // namespace

void WalkExifDirectory(ExifWalk& exif, int64_t directoryOffset, int level, DirectoryKind kind) {
    Analysis& analysis = exif.analysis;
    Report& report = analysis.report;
    if (exif.budget.exhausted) return;
    if (level > kDeepestDirectoryLevel) {
        ReportNonfatal(report, "Maximum directory nesting exceeded(corrupt exif header)\r\n");
        return;
    }
    ImageSummary& summary = analysis.summary;
    const ByteView block = exif.block;
    DirectoryWalk walk{exif, analysis, report, summary, block, level, kind, DirectoryIndent(level), ThumbnailPlace{}};
    uint16_t entryCount = 0;
    if (!ReadU16At(block, directoryOffset, summary.bigEndian != 0, &entryCount)) {
        // Not even the entry count lies in the block.
        ReportNonfatal(report, "Illegally sized exif subdirectory(%d entries)\r\n", 0);
        return;
    }
    const int64_t blockLength = static_cast<int64_t>(block.size);
    const int64_t directoryEnd = directoryOffset + 2 + kEntrySize * entryCount;
    // The next-directory link may be short or missing at the very end of the block.
    if (directoryEnd + 4 > blockLength && directoryEnd + 2 != blockLength && directoryEnd != blockLength) {
        ReportNonfatal(report, "Illegally sized exif subdirectory(%d entries)\r\n", entryCount);
        return;
    }
    ShowDirectoryMap(exif, walk.indent, directoryOffset, entryCount);
    for (int i = 0; i < entryCount; i++) {
        if (!ExifWalkBudgetAllows(exif.budget, report, 0)) break;
        WalkEntry(walk, directoryOffset + 2 + kEntrySize * i);
    }
    FollowNextDirectory(walk, directoryEnd);
    ShowThumbnail(walk);
}
