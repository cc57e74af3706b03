#include "exif/directory_walker.h"

#include <string>
#include <utility>

#include "exif/directory_entry.h"
#include "exif/gps_directory.h"
#include "exif/record_updates.h"
#include "exif/tag_names.h"
#include "exif/value_format.h"
#include "exif/walk_budget.h"
#include "report/report.h"
#include "thumbnail/thumbnail.h"

namespace {

constexpr uint16_t kTagMakerNote = 0x927C;
constexpr uint16_t kTagExifOffset = 0x8769;
constexpr uint16_t kTagInteropOffset = 0xA005;
constexpr uint16_t kTagGpsOffset = 0x8825;
constexpr uint16_t kTagThumbnailOffset = 0x0201;
constexpr uint16_t kTagThumbnailLength = 0x0202;

// More components than this mark a corrupt entry.
constexpr uint32_t kMostComponents = 0x10000;

// Older editors cut the thumbnail off the end of the block but left the
// link to its directory; a link this close past the end is one of those.
constexpr int64_t kRemovedThumbnailSlack = 20;

struct ThumbnailPlace {
    int32_t offset = 0;
    int32_t length = 0;
};

struct DirectoryWalk {
    ImageSummary& summary;
    ByteView block;
    int level;
    std::string indent;
    ThumbnailPlace thumbnail;
};

// A RATIONAL, SRATIONAL or DOUBLE of no components: the listing would show
// the entry's four inline bytes as a value and the summary would read eight
// bytes from there, so neither takes anything from it.
bool HasNoOwnBytes(const DirectoryEntry& entry) {
    return entry.componentCount == 0 && FormatByteSize(entry.format) == 8;
}

std::string EntryValueText(const DirectoryEntry& entry, int bigEndian) {
    std::string text;
    if (HasNoOwnBytes(entry)) return text;
    switch (static_cast<ValueFormat>(entry.format)) {
        case ValueFormat::Byte:
            // BYTE text of two bytes or more is UTF-16LE, as the Windows XP tags store it.
            if (entry.byteCount >= 2) {
                text = Utf16ValueText(entry.value, entry.byteCount);
            } else {
                AppendValueList(text, entry.value, bigEndian, entry.format, entry.byteCount);
            }
            break;
        case ValueFormat::Ascii:
        case ValueFormat::Undefined:
            text = QuotedValueText(entry.value, entry.byteCount);
            break;
        default:
            AppendValueList(text, entry.value, bigEndian, entry.format, entry.byteCount);
            break;
    }
    return text;
}

// False, with nothing shown, when the walk's budget cannot pay for the line.
bool PrintEntry(const DirectoryWalk& walk, const DirectoryEntry& entry) {
    const std::string value = EntryValueText(entry, walk.summary.bigEndian);
    std::string label = walk.indent;
    label += "    ";
    const char* name = FindTagName(entry.tag);
    if (name != nullptr) {
        label += name;
    } else {
        label += FormatText("Unknown Tag %04x", entry.tag);
    }
    if (!ExifWalkBudgetAllows(EntryLineBytes(label, value))) return false;
    if (name == nullptr) SetReportColor(kColorRed);
    ShowEntryLine(std::move(label), value);
    return true;
}

// Offsets of links count from the block's start.
int64_t LinkTarget(const DirectoryEntry& entry, int bigEndian) {
    return ReadS32(entry.value, 0, bigEndian);
}

bool TargetInBlock(const DirectoryWalk& walk, int64_t target) {
    return target >= 0 && target <= static_cast<int64_t>(walk.block.size);
}

void FollowLinks(DirectoryWalk& walk, const DirectoryEntry& entry) {
    const int bigEndian = walk.summary.bigEndian;
    switch (entry.tag) {
        case kTagExifOffset:
        case kTagInteropOffset: {
            AppendReportFormat(entry.tag == kTagExifOffset ? "%s    Exif Dir:\r\n" : "%s    Interop Dir:\r\n",
                               walk.indent.c_str());
            int64_t target = LinkTarget(entry, bigEndian);
            if (!TargetInBlock(walk, target)) {
                ReportNonfatal("Illegal exif or interop ofset directory link\r\n", 0, 0);
            } else {
                WalkExifDirectory(walk.summary, walk.block, target, walk.level + 1);
            }
            break;
        }
        case kTagGpsOffset: {
            int64_t target = LinkTarget(entry, bigEndian);
            if (!TargetInBlock(walk, target)) {
                ReportNonfatal("Illegal GPS directory link\r\n", 0, 0);
            } else {
                DecodeGpsDirectory(walk.summary, walk.block, target, walk.level + 1);
            }
            break;
        }
        case kTagThumbnailOffset:
            walk.thumbnail.offset = DoubleToInt32(ValueAsDouble(entry.format, entry.valueToBlockEnd, bigEndian));
            break;
        case kTagThumbnailLength:
            walk.thumbnail.length = DoubleToInt32(ValueAsDouble(entry.format, entry.valueToBlockEnd, bigEndian));
            break;
        default:
            break;
    }
}

void WalkEntry(DirectoryWalk& walk, int64_t entryOffset) {
    const int bigEndian = walk.summary.bigEndian;
    DirectoryEntry entry = ReadDirectoryEntry(walk.block, entryOffset, bigEndian);
    if (entry.format < kLowestFormat || entry.format > kHighestFormat) {
        ReportNonfatal("Illegal number format %d for tag %04x\r\n", entry.format, entry.tag);
        return;
    }
    if (static_cast<uint32_t>(entry.componentCount) > kMostComponents) {
        ReportNonfatal("Illegal number of components %d for tag %04x\r\n", entry.componentCount, entry.tag);
        return;
    }
    if (!LocateEntryValue(walk.block, entryOffset, bigEndian, entry)) {
        ReportNonfatal("Illegal value pointer for tag %04x\r\n", entry.tag, 0);
        return;
    }
    if (entry.tag == kTagMakerNote) {
        AppendReportFormat("%s    Maker note:(%d bytes)\r\n", walk.indent.c_str(), static_cast<int>(entry.byteCount));
        return;
    }
    if (!PrintEntry(walk, entry)) return;
    if (!HasNoOwnBytes(entry)) ApplyRecordUpdate(walk.summary, entry);
    FollowLinks(walk, entry);
}

void FollowNextDirectory(DirectoryWalk& walk, int64_t directoryEnd) {
    if (ExifWalkBudgetSpent()) return;
    const int64_t blockLength = static_cast<int64_t>(walk.block.size);
    // A directory at the very end of the block may have no room for the link.
    if (directoryEnd + 4 > blockLength) return;
    int64_t target = ReadS32(walk.block, directoryEnd, walk.summary.bigEndian);
    if (target == 0) return;
    if (target > blockLength) {
        if (target < blockLength + kRemovedThumbnailSlack) {
            AppendReport("Thumbnail removed by an older editor\r\n");
        } else {
            ReportNonfatal("Illegal subdirectory link\r\n", 0, 0);
        }
        return;
    }
    if (target < 0) {
        ReportNonfatal("Illegal subdirectory link\r\n", 0, 0);
        return;
    }
    WalkExifDirectory(walk.summary, walk.block, target, walk.level + 1);
}

void ShowThumbnail(DirectoryWalk& walk) {
    if (ExifWalkBudgetSpent()) return;
    const ThumbnailPlace place = walk.thumbnail;
    if (place.offset == 0 || place.length == 0) return;
    const int64_t blockLength = static_cast<int64_t>(walk.block.size);
    AppendReportFormat("%sMap: %05d - %05lld: Thumbnail", walk.indent.c_str(), place.offset,
                       static_cast<long long>(place.offset) + place.length);
    // Offset and length are unsigned in the file: a negative one is huge.
    const int64_t offset = static_cast<uint32_t>(place.offset);
    int64_t length = static_cast<uint32_t>(place.length);
    if (offset > blockLength) {
        AppendReport("\r\n");  // nothing of it lies in the block; end the map line
        return;
    }
    if (length > blockLength - offset) {
        AppendReport("Thumbnail incorrectly placed in header\r\n");
        length = blockLength - offset;
    }
    AppendReportFormat("(Thumbnail size: %d bytes)\r\n", static_cast<int>(length));
    // Decoding is paid for from the same budget as showing: a thumbnail met
    // again and again through looping links is decoded only while it lasts.
    ByteView bytes;
    SubView(walk.block, offset, length, &bytes);
    if (!SpendExifWalkBudgetOnDecode(ThumbnailDecodeCost(bytes))) return;
    DecodeThumbnail(walk.summary, bytes);
    walk.summary.thumbnailBytes = static_cast<int32_t>(length);
}

void WalkDirectory(ImageSummary& summary, ByteView block, int64_t directoryOffset, int level) {
    if (ExifWalkBudgetSpent()) return;
    if (level > kDeepestDirectoryLevel) {
        ReportNonfatal("Maximum directory nesting exceeded(corrupt exif header)\r\n", 0, 0);
        return;
    }
    DirectoryWalk walk{summary, block, level, DirectoryIndent(level), ThumbnailPlace{}};
    uint16_t entryCount = 0;
    if (!ReadU16At(block, directoryOffset, summary.bigEndian != 0, &entryCount)) {
        // Not even the entry count lies in the block.
        ReportNonfatal("Illegally sized exif subdirectory(%d entries)\r\n", 0, 0);
        return;
    }
    const int64_t blockLength = static_cast<int64_t>(block.size);
    const int64_t directoryEnd = directoryOffset + 2 + kEntrySize * entryCount;
    // The next-directory link may be short or missing at the very end of the block.
    if (directoryEnd + 4 > blockLength && directoryEnd + 2 != blockLength && directoryEnd != blockLength) {
        ReportNonfatal("Illegally sized exif subdirectory(%d entries)\r\n", entryCount, 0);
        return;
    }
    AppendReportFormat("%sMap: %05d - %05d: Directory", walk.indent.c_str(), static_cast<int>(directoryOffset),
                       static_cast<int>(directoryEnd + 4));
    AppendReportFormat("(dir has %d entries)\r\n", entryCount);
    for (int i = 0; i < entryCount; i++) {
        if (!ExifWalkBudgetAllows(0)) break;
        WalkEntry(walk, directoryOffset + 2 + kEntrySize * i);
    }
    FollowNextDirectory(walk, directoryEnd);
    ShowThumbnail(walk);
}

}  // namespace

void WalkExifDirectory(ImageSummary& summary, ByteView block, int64_t directoryOffset, int level) {
    // The first directory's walk owns the budget of the whole walk.
    if (level == 0) ResetExifWalkBudget();
    WalkDirectory(summary, block, directoryOffset, level);
    if (level == 0) ResetExifWalkBudget();
}
