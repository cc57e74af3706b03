// The two resources that are plain big-endian numbers: resolution and the
// thumbnail header.
#include "app13/resource_decoders.h"
#include "report/report.h"

void ShowResolutionInfo(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart) {
    const int32_t hRes = S32OrZero(segment, dataStart);
    const uint16_t hResUnit = U16OrZero(segment, dataStart + 4);
    const uint16_t widthUnit = U16OrZero(segment, dataStart + 6);
    const int32_t vRes = S32OrZero(segment, dataStart + 8);
    const uint16_t vResUnit = U16OrZero(segment, dataStart + 12);
    const uint16_t heightUnit = U16OrZero(segment, dataStart + 14);
    // The resolutions are 16.16 fixed point and are shown raw.
    AppendReportFormat(report, "hRes=%d,hResUnit=%d,WidthUnit=%d,vRes=%d,vResUnit=%d,HeightUnit=%d\r\n", hRes,
                       hResUnit, widthUnit, vRes, vResUnit, heightUnit);
    KeepNumberField(resource, "hRes", hRes);
    KeepNumberField(resource, "hResUnit", hResUnit);
    KeepNumberField(resource, "widthUnit", widthUnit);
    KeepNumberField(resource, "vRes", vRes);
    KeepNumberField(resource, "vResUnit", vResUnit);
    KeepNumberField(resource, "heightUnit", heightUnit);
}

void ShowThumbnailResource(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart) {
    // Offset 12, the width in bytes of a row, is not shown.
    const int32_t format = S32OrZero(segment, dataStart);
    const int32_t width = S32OrZero(segment, dataStart + 4);
    const int32_t height = S32OrZero(segment, dataStart + 8);
    const int32_t totalSize = S32OrZero(segment, dataStart + 16);
    const int32_t compressedSize = S32OrZero(segment, dataStart + 20);
    AppendReportFormat(report, "Format=%d,Width=%d,Height=%d,TotalSize=%d,CompressionSize=%d\r\n", format, width,
                       height, totalSize, compressedSize);
    KeepNumberField(resource, "format", format);
    KeepNumberField(resource, "width", width);
    KeepNumberField(resource, "height", height);
    KeepNumberField(resource, "totalSize", totalSize);
    KeepNumberField(resource, "compressedSize", compressedSize);
}
