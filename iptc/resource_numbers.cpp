// The two resources that are plain big-endian numbers: resolution and the
// thumbnail header.
#include "iptc/resource_decoders.h"
#include "report/report.h"

bool ShowResolutionInfo(ByteView segment, int64_t dataStart) {
    int32_t hRes = 0;
    int32_t vRes = 0;
    uint16_t hResUnit = 0;
    uint16_t widthUnit = 0;
    uint16_t vResUnit = 0;
    uint16_t heightUnit = 0;
    if (!ReadS32At(segment, dataStart, true, &hRes) || !ReadU16At(segment, dataStart + 4, true, &hResUnit) ||
        !ReadU16At(segment, dataStart + 6, true, &widthUnit) || !ReadS32At(segment, dataStart + 8, true, &vRes) ||
        !ReadU16At(segment, dataStart + 12, true, &vResUnit) ||
        !ReadU16At(segment, dataStart + 14, true, &heightUnit)) {
        return false;
    }
    // The resolutions are 16.16 fixed point and are shown raw.
    AppendReportFormat("hRes=%d,hResUnit=%d,WidthUnit=%d,vRes=%d,vResUnit=%d,HeightUnit=%d\r\n", hRes, hResUnit,
                       widthUnit, vRes, vResUnit, heightUnit);
    return true;
}

bool ShowThumbnailResource(ByteView segment, int64_t dataStart) {
    // Offset 12 (the width in bytes of a row) is not shown, but the header
    // is 24 bytes whole.
    if (!ViewHas(segment, dataStart, 24)) return false;
    int32_t format = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t totalSize = 0;
    int32_t compressedSize = 0;
    ReadS32At(segment, dataStart, true, &format);
    ReadS32At(segment, dataStart + 4, true, &width);
    ReadS32At(segment, dataStart + 8, true, &height);
    ReadS32At(segment, dataStart + 16, true, &totalSize);
    ReadS32At(segment, dataStart + 20, true, &compressedSize);
    AppendReportFormat("Format=%d,Width=%d,Height=%d,TotalSize=%d,CompressionSize=%d\r\n", format, width, height,
                       totalSize, compressedSize);
    return true;
}

