// The two resources that are plain big-endian numbers: resolution and the
// thumbnail header.
#include "iptc/resource_decoders.h"
#include "report/report.h"

void ShowResolutionInfo(ByteView segment, int64_t dataStart) {
    // The resolutions are 16.16 fixed point and are shown raw.
    AppendReportFormat("hRes=%d,hResUnit=%d,WidthUnit=%d,vRes=%d,vResUnit=%d,HeightUnit=%d\r\n",
                       S32OrZero(segment, dataStart), U16OrZero(segment, dataStart + 4),
                       U16OrZero(segment, dataStart + 6), S32OrZero(segment, dataStart + 8),
                       U16OrZero(segment, dataStart + 12), U16OrZero(segment, dataStart + 14));
}

void ShowThumbnailResource(ByteView segment, int64_t dataStart) {
    // Offset 12, the width in bytes of a row, is not shown.
    AppendReportFormat("Format=%d,Width=%d,Height=%d,TotalSize=%d,CompressionSize=%d\r\n",
                       S32OrZero(segment, dataStart), S32OrZero(segment, dataStart + 4),
                       S32OrZero(segment, dataStart + 8), S32OrZero(segment, dataStart + 16),
                       S32OrZero(segment, dataStart + 20));
}
