// The APP13 segment: "Photoshop 3.0", then a chain of "8BIM" image resource
// blocks. Numbers are big-endian; offsets count from the first of the
// segment's two length bytes.
#include <algorithm>

#include "iptc/iptc.h"
#include "iptc/photoshop_resource_table.h"
#include "iptc/resource_decoders.h"
#include "report/report.h"

namespace {

constexpr int32_t kShortestSegment = 25;
constexpr int64_t kFirstBlock = 16;

constexpr int32_t kXmlDataId = 0x03EA;
constexpr int32_t kResolutionInfoId = 0x03ED;
constexpr int32_t kIptcId = 0x0404;
constexpr int32_t kJpegQualityId = 0x0406;
constexpr int32_t kThumbnailId = 0x0409;
constexpr int32_t kThumbnail2Id = 0x040C;
constexpr int32_t kVersionInfoId = 0x0421;

// The segment's bytes as far as its length field says, never more than it holds.
ByteView SegmentView(const JpegSegment& segment) {
    size_t size = segment.length > 0 ? static_cast<size_t>(segment.length) : 0;
    return MakeView(segment.data.data(), std::min(size, segment.data.size()));
}

void ReportLengthMismatch5() { ReportNonfatal("IPTC length mismatch(5)\r\n", 0, 0); }

// Shows the data of one resource, whose data bytes lie inside the segment.
// False when the walk of the segment ends here (an error inside the IPTC data).
bool ShowResourceData(ByteView segment, int32_t id, int64_t dataStart, int32_t size) {
    switch (id) {
        case kVersionInfoId: ShowVersionInfo(segment, dataStart); break;
        case kXmlDataId: ShowXmlData(segment, dataStart, size); break;
        case kResolutionInfoId: ShowResolutionInfo(segment, dataStart); break;
        case kJpegQualityId: ShowJpegQuality(segment, dataStart); break;
        case kThumbnailId:
        case kThumbnail2Id: ShowThumbnailResource(segment, dataStart); break;
        case kIptcId: {
            ByteView iptc;
            SubView(segment, dataStart, size, &iptc);
            return DecodeIptcRecords(iptc) == 1;
        }
        default: break;
    }
    return true;
}

// Shows the block at offset; returns the offset of the next block, or -1
// when the walk ends (after an error, or when the block was the last).
int64_t ShowResourceBlock(ByteView segment, int64_t offset) {
    if (!ViewMatches(segment, offset, "8BIM", 4)) {
        ReportNonfatal("IPTC type signature mismatch(2)\r\n", 0, 0);
        return -1;
    }
    uint16_t id = 0;
    if (!ReadU16At(segment, offset + 4, true, &id)) {
        ReportNonfatal("IPTC length mismatch(4)\r\n", 0, 0);
        return -1;
    }
    const PhotoshopResourceEntry* entry = FindPhotoshopResource(id);
    if (entry == nullptr) {
        ReportNonfatal("IPTC type signature mismatch(3)%04x\r\n", id, 0);
        return -1;
    }
    AppendReportFormat("PhotoShopTag:%s", entry->name);
    uint8_t nameLength = 0;
    if (!ViewHas(segment, offset + 8, 1) || !ReadU8(segment, offset + 6, &nameLength)) {
        ReportNonfatal("IPTC length mismatch(4)\r\n", 0, 0);
        return -1;
    }
    // The name, with its length byte, is padded to an even byte count.
    int64_t sizeAt = offset + 8 + 2 * (nameLength / 2);
    int64_t dataStart = sizeAt + 4;
    int32_t size = 0;
    if (!ViewHas(segment, dataStart, 1) || !ReadS32At(segment, sizeAt, true, &size)) {
        ReportLengthMismatch5();
        return -1;
    }
    AppendReportFormat("(%dbytes)\r\n", size);
    // A negative size, or one that runs past the segment, would send the
    // walk backwards or outside the data.
    if (!ViewHas(segment, dataStart, size)) {
        ReportLengthMismatch5();
        return -1;
    }
    if (!ShowResourceData(segment, id, dataStart, size)) return -1;
    // The data, too, is padded to an even byte count.
    int64_t next = dataStart + 2 * ((int64_t(size) + 1) / 2);
    return ViewHas(segment, next, 1) ? next : -1;
}

}  // namespace

void DecodePhotoshopResources(const JpegSegment& segment) {
    AppendReportFormat(" == == == == IPTC data: == == == == %d bytes\r\n", segment.length);
    ByteView view = SegmentView(segment);
    if (segment.length < kShortestSegment || view.size < static_cast<size_t>(kShortestSegment)) {
        ReportNonfatal("IPTC length mismatch(0)\r\n", 0, 0);
        return;
    }
    if (!ViewMatches(view, 2, "Photoshop 3.0", 13)) {
        ReportNonfatal("IPTC type signature mismatch(1)\r\n", 0, 0);
        return;
    }
    int64_t offset = kFirstBlock;
    while (offset >= 0) offset = ShowResourceBlock(view, offset);
}
