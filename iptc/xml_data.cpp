#include "iptc/blanked_text.h"
#include "iptc/resource_decoders.h"
#include "report/report.h"

void ShowXmlData(ByteView segment, int64_t dataStart, int32_t size) {
    ByteView xml;
    SubView(segment, dataStart, size, &xml);
    // Shown as it stands, with no line end: the next resource's name
    // continues the line.
    AppendReportText(BlankControlBytes(xml));
}
