// The JPEG quality resource: the quality, format and scan settings an
// editor saved the picture with.
#include <cstddef>

#include "app13/resource_decoders.h"
#include "report/report.h"

namespace {

struct CodeName {
    int32_t value;
    char text[32];
};

// The quality setting is stored as a signed 16-bit number, -3 to 8.
const CodeName JpegQualityNames[] = {
    {0xFFFD, "Quality 1 (Low)"},     {0xFFFE, "Quality 2 (Low)"},     {0xFFFF, "Quality 3 (Low)"},
    {0, "Quality 4 (Low)"},          {1, "Quality 5 (Medium)"},       {2, "Quality 6 (Medium)"},
    {3, "Quality 7 (Medium)"},       {4, "Quality 8 (High)"},         {5, "Quality 9 (High)"},
    {6, "Quality 10 (Maximum)"},     {7, "Quality 11 (Maximum)"},     {8, "Quality 12 (Maximum)"},
};

const CodeName JpegFormatNames[] = {
    {0x0000, "Standard Format"},
    {0x0001, "Optimised Format"},
    {0x0101, "Progressive Format"},
};

const CodeName ProgressiveScanNames[] = {
    {1, "3 Scans"},
    {2, "4 Scans"},
    {3, "5 Scans"},
};

template <size_t Count>
const char* NameOfCode(const CodeName (&table)[Count], uint16_t value) {
    for (const CodeName& entry : table) {
        if (entry.value == value) return entry.text;
    }
    return "Unknown";
}

}  // namespace

void ShowJpegQuality(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart) {
    const uint16_t quality = U16OrZero(segment, dataStart);
    const uint16_t format = U16OrZero(segment, dataStart + 2);
    const uint16_t scans = U16OrZero(segment, dataStart + 4);
    const uint8_t unknown = ByteOrZero(segment, dataStart + 12);
    AppendReportFormat(report, "Quality=%s,Format=%s,ProgressiveScans=%s,Unknown=%d\r\n",
                       NameOfCode(JpegQualityNames, quality), NameOfCode(JpegFormatNames, format),
                       NameOfCode(ProgressiveScanNames, scans), unknown);
    // The quality is a signed number, -3 to 8.
    KeepNumberField(resource, "quality", static_cast<int16_t>(quality));
    KeepTextField(resource, "qualityName", NameOfCode(JpegQualityNames, quality));
    KeepNumberField(resource, "format", format);
    KeepTextField(resource, "formatName", NameOfCode(JpegFormatNames, format));
    KeepNumberField(resource, "progressiveScans", scans);
    KeepTextField(resource, "progressiveScansName", NameOfCode(ProgressiveScanNames, scans));
    KeepNumberField(resource, "unknown", unknown);
}
