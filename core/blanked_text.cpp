// Raw bytes with every control byte and every byte from 0x80 up blanked.
#include "core/blanked_text.h"

#include "report/report.h"

// The whole view copied at once, then blanked in place: a branch-free loop
// over a string that the compiler turns into vector code, since an XMP
// packet can be tens of kilobytes.
std::string BlankControlBytes(ByteView bytes) {
    if (bytes.size == 0) return std::string();
    std::string text(reinterpret_cast<const char*>(bytes.data), bytes.size);
    for (char& c : text) {
        const uint8_t byte = static_cast<uint8_t>(c);
        c = (byte >= 0x20 && byte < 0x80) ? c : ' ';
    }
    return text;
}

void AppendBlankedReport(Report& report, ByteView bytes) {
    if (report.sink == nullptr) {
        CountReportText(report, bytes.size);
        return;
    }
    AppendReportText(report, BlankControlBytes(bytes));
}
