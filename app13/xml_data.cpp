// The XML data resource: the bytes shown as one run of text.
#include "core/blanked_text.h"
#include "app13/resource_decoders.h"
#include "report/report.h"

void ShowXmlData(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart, int32_t size) {
    ByteView xml;
    SubView(segment, dataStart, size, &xml);
    // Shown as it stands, with no line end: the next resource's name
    // continues the line. The data keeps the bytes themselves.
    AppendBlankedReport(report, xml);
    KeepTextField(resource, "xml", std::string(reinterpret_cast<const char*>(xml.data), xml.size));
}
