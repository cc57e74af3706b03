// The XMP properties of a raw packet (any encoding), written as their JSON
// object, which must parse back; and the packet without its padding.
#include <rapidjson/document.h>

#include <cstdlib>
#include <string>

#include "export/xmp_json.h"
#include "xmp/xmp.h"
#include "xmp/xmp_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<XmpProperty> properties;
    std::vector<std::string> messages;
    ReadXmpProperties(MakeView(data, size), properties, messages);
    for (const XmpProperty& property : properties) {
        if (property.form == XmpForm::Alt && property.languages.size() != property.values.size()) std::abort();
    }
    rapidjson::StringBuffer buffer;
    XmpJsonWriter writer(buffer);
    WriteXmpObject(writer, buffer, properties, true);
    rapidjson::Document parsed;
    parsed.Parse(buffer.GetString(), buffer.GetSize());
    if (parsed.HasParseError() || !parsed.IsObject()) std::abort();
    UnpaddedXmpPacket(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
