// The APP13 segment: "Photoshop 3.0", then a chain of "8BIM" image resource
// blocks. Numbers are big-endian; offsets count from the first of the
// segment's two length bytes.
#include <vector>

#include "app13/app13.h"
#include "app13/photoshop_resource_table.h"
#include "app13/resource_decoders.h"
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

void ReportLengthMismatch5(Report& report) { ReportNonfatal(report, "IPTC length mismatch(5)\r\n"); }

// Shows the data of one resource, whose data bytes lie inside the segment.
// False when the walk of the segment ends here (an error inside the IPTC data).
bool ShowResourceData(Analysis& analysis, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart) {
    Report& report = analysis.report;
    switch (resource.id) {
        case kVersionInfoId: ShowVersionInfo(report, resource, segment, dataStart); break;
        case kXmlDataId: ShowXmlData(report, resource, segment, dataStart, resource.size); break;
        case kResolutionInfoId: ShowResolutionInfo(report, resource, segment, dataStart); break;
        case kJpegQualityId: ShowJpegQuality(report, resource, segment, dataStart); break;
        case kThumbnailId:
        case kThumbnail2Id: ShowThumbnailResource(report, resource, segment, dataStart); break;
        case kIptcId: {
            ByteView iptc;
            SubView(segment, dataStart, resource.size, &iptc);
            return DecodeIptcRecords(analysis, iptc);
        }
        default: break;
    }
    return true;
}

// Shows the block at offset; returns the offset of the next block, or -1
// when the walk ends (after an error, or when the block was the last).
int64_t ShowResourceBlock(Analysis& analysis, ByteView segment, int64_t offset) {
    Report& report = analysis.report;
    if (!ViewMatches(segment, offset, "8BIM", 4)) {
        ReportNonfatal(report, "IPTC type signature mismatch(2)\r\n");
        return -1;
    }
    uint16_t id = 0;
    if (!ReadU16At(segment, offset + 4, true, &id)) {
        ReportNonfatal(report, "IPTC length mismatch(4)\r\n");
        return -1;
    }
    const PhotoshopResourceEntry* entry = FindPhotoshopResource(id);
    if (entry == nullptr) {
        ReportNonfatal(report, "IPTC type signature mismatch(3)%04x\r\n", id);
        return -1;
    }
    AppendReportFormat(report, "PhotoShopTag:%s", entry->name);
    uint8_t nameLength = 0;
    if (!ViewHas(segment, offset + 8, 1) || !ReadU8(segment, offset + 6, &nameLength)) {
        ReportNonfatal(report, "IPTC length mismatch(4)\r\n");
        return -1;
    }
    // The name, with its length byte, is padded to an even byte count.
    int64_t sizeAt = offset + 8 + 2 * (nameLength / 2);
    int64_t dataStart = sizeAt + 4;
    int32_t size = 0;
    if (!ViewHas(segment, dataStart, 1) || !ReadS32At(segment, sizeAt, true, &size)) {
        ReportLengthMismatch5(report);
        return -1;
    }
    AppendReportFormat(report, "(%dbytes)\r\n", size);
    // A negative size, or one that runs past the segment, would send the
    // walk backwards or outside the data.
    if (!ViewHas(segment, dataStart, size)) {
        ReportLengthMismatch5(report);
        return -1;
    }
    // Kept before its data is decoded: the IPTC datasets follow it.
    std::vector<PhotoshopResourceData>& resources = analysis.decoded.photoshopResources;
    resources.push_back(PhotoshopResourceData{id, entry->name, size, {}});
    if (!ShowResourceData(analysis, resources.back(), segment, dataStart)) return -1;
    // The data, too, is padded to an even byte count.
    int64_t next = dataStart + 2 * ((int64_t(size) + 1) / 2);
    return ViewHas(segment, next, 1) ? next : -1;
}

}  // namespace

void DecodePhotoshopResources(Analysis& analysis, const JpegSegment& segment) {
    Report& report = analysis.report;
    AppendReportFormat(report, " == == == == IPTC data: == == == == %d bytes\r\n", segment.length);
    ByteView view = SegmentView(segment);
    if (segment.length < kShortestSegment || view.size < static_cast<size_t>(kShortestSegment)) {
        ReportNonfatal(report, "IPTC length mismatch(0)\r\n");
        return;
    }
    if (!ViewMatches(view, 2, "Photoshop 3.0", 13)) {
        ReportNonfatal(report, "IPTC type signature mismatch(1)\r\n");
        return;
    }
    int64_t offset = kFirstBlock;
    while (offset >= 0) offset = ShowResourceBlock(analysis, view, offset);
}
