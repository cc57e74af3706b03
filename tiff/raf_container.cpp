// The RAF header's pointer to its JPEG, and the JPEG's segments up to its
// frame header, read one by one.
#include "tiff/raf_container.h"

#include <vector>

#include "core/jpeg_markers.h"
#include "report/report.h"

namespace {

// "FUJIFILMCCD-RAW ", format version, camera number, camera name, directory
// version and 20 reserved bytes; then the JPEG's offset and length,
// big-endian, at byte 84.
constexpr uint64_t kJpegPlaceOffset = 84;
constexpr uint64_t kHeaderBytes = 92;
// An embedded JPEG's metadata lies in its first segments; a segment is at
// most 64 KB and few come before the frame.
constexpr int kMostSegments = 64;
constexpr uint64_t kMostPreviewBytes = 16ull << 20;

struct JpegPlace {
    uint64_t offset = 0;
    uint64_t length = 0;
};

bool ReadSegment(ByteSource& source, uint64_t at, std::vector<uint8_t>& payload) {
    uint8_t length[2] = {};
    if (SourceReadAt(source, at, length, 2) != 2) return false;
    const size_t count = static_cast<size_t>(length[0] << 8 | length[1]);
    if (count < 2) return false;
    payload.resize(count - 2);
    return SourceReadAt(source, at + 2, payload.data(), payload.size()) == payload.size();
}

void KeepBlock(FoundBlock& block, const std::vector<uint8_t>& payload, size_t skip, uint64_t fileOffset,
               const char* where) {
    if (block.present || payload.size() < skip) return;
    block.present = true;
    block.bytes.assign(payload.begin() + static_cast<std::ptrdiff_t>(skip), payload.end());
    block.fileOffset = fileOffset + skip;
    block.where = where;
}

void KeepFrameSize(FoundBlocks& blocks, const std::vector<uint8_t>& payload) {
    uint16_t height = 0;
    uint16_t width = 0;
    const ByteView view = MakeView(payload);
    if (ReadU16At(view, 1, true, &height) && ReadU16At(view, 3, true, &width)) {
        blocks.width = width;
        blocks.height = height;
    }
}

bool IsFrameMarker(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The JPEG's segments from its start-of-image marker to its frame header.
bool ReadJpegSegmentsAt(Report& report, ByteSource& source, const JpegPlace& place, FoundBlocks& blocks) {
    uint8_t start[2] = {};
    if (SourceReadAt(source, place.offset, start, 2) != 2 || start[0] != 0xFF || start[1] != 0xD8) {
        ReportNonfatal(report, "RAF: no JPEG where the header points\r\n");
        return false;
    }
    uint64_t at = place.offset + 2;
    std::vector<uint8_t> payload;
    for (int i = 0; i < kMostSegments && at < place.offset + place.length; i++) {
        uint8_t marker[2] = {};
        if (SourceReadAt(source, at, marker, 2) != 2 || marker[0] != 0xFF) break;
        if (marker[1] == kMarkerSos || marker[1] == kMarkerEoi) break;
        if (!ReadSegment(source, at + 2, payload)) break;
        const ByteView view = MakeView(payload);
        const uint64_t payloadAt = at + 4;
        if (marker[1] == kMarkerApp1 && ViewMatches(view, 0, "Exif\0\0", 6)) {
            KeepBlock(blocks.exif, payload, 6, payloadAt, "RAF JPEG APP1 (Exif)");
        } else if (marker[1] == kMarkerApp1 && ViewMatches(view, 0, "http://ns.adobe.com/xap/1.0/\0", 29)) {
            KeepBlock(blocks.xmp, payload, 29, payloadAt, "RAF JPEG APP1 (XMP)");
        } else if (marker[1] == kMarkerApp13 && ViewMatches(view, 0, "Photoshop 3.0\0", 14)) {
            KeepBlock(blocks.photoshop, payload, 14, payloadAt, "RAF JPEG APP13 (Photoshop)");
        } else if (IsFrameMarker(marker[1])) {
            KeepFrameSize(blocks, payload);
            break;
        }
        at += 2 + 2 + payload.size();
    }
    return true;
}

// Whether the EXIF block's first directory links to a second, the one that
// holds the EXIF thumbnail.
bool ExifHasSecondDirectory(const FoundBlock& exif) {
    const ByteView block = MakeView(exif.bytes);
    const bool bigEndian = ViewMatches(block, 0, "MM", 2);
    uint32_t first = 0;
    uint16_t count = 0;
    uint32_t next = 0;
    return ReadU32At(block, 4, bigEndian, &first) && ReadU16At(block, first, bigEndian, &count) &&
           ReadU32At(block, static_cast<int64_t>(first) + 2 + 12 * static_cast<int64_t>(count), bigEndian, &next) &&
           next != 0;
}

}  // namespace

bool ReadRafContainer(Report& report, ByteSource& source, uint64_t fileSize, FoundBlocks& blocks) {
    blocks = FoundBlocks{};
    blocks.type = FileType::Raf;
    uint8_t header[kHeaderBytes] = {};
    if (SourceReadAt(source, 0, header, sizeof header) != sizeof header) {
        ReportNonfatal(report, "RAF header cut short\r\n");
        return false;
    }
    const ByteView view = MakeView(header, sizeof header);
    uint32_t offset = 0;
    uint32_t length = 0;
    ReadU32At(view, kJpegPlaceOffset, true, &offset);
    ReadU32At(view, kJpegPlaceOffset + 4, true, &length);
    if (offset > fileSize || length > fileSize - offset) {
        ReportNonfatal(report, "RAF: the JPEG lies past the end of the file\r\n");
        return false;
    }
    const JpegPlace place{offset, length};
    if (!ReadJpegSegmentsAt(report, source, place, blocks)) return false;
    // The EXIF thumbnail, when there is one, is the walk's to show; the
    // JPEG itself is the preview only of a file without one.
    if (length <= kMostPreviewBytes && !ExifHasSecondDirectory(blocks.exif)) {
        blocks.preview.bytes.resize(length);
        if (SourceReadAt(source, offset, blocks.preview.bytes.data(), length) == length) {
            blocks.preview.present = true;
            blocks.preview.fileOffset = offset;
            blocks.preview.where = "RAF JPEG";
            blocks.previewCoding = "JPEG";
            blocks.previewWidth = blocks.width;
            blocks.previewHeight = blocks.height;
        } else {
            blocks.preview.bytes.clear();
        }
    }
    return true;
}
