#include <cstddef>

#include "iptc/resource_decoders.h"
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

bool ShowJpegQuality(ByteView segment, int64_t dataStart) {
    uint16_t quality = 0;
    uint16_t format = 0;
    uint16_t scans = 0;
    uint8_t unknown = 0;
    if (!ReadU16At(segment, dataStart, true, &quality) || !ReadU16At(segment, dataStart + 2, true, &format) ||
        !ReadU16At(segment, dataStart + 4, true, &scans) || !ReadU8(segment, dataStart + 12, &unknown)) {
        return false;
    }
    AppendReportFormat("Quality=%s,Format=%s,ProgressiveScans=%s,Unknown=%d\r\n", NameOfCode(JpegQualityNames, quality),
                       NameOfCode(JpegFormatNames, format), NameOfCode(ProgressiveScanNames, scans), unknown);
    return true;
}
