// The XMP properties written as one JSON object.
#include "export/xmp_json.h"

#include <string>
#include <utility>

namespace {

// Where the object's strings go: the writer and its buffer.
struct XmpOut {
    XmpJsonWriter& json;
    rapidjson::StringBuffer& buffer;
};

// The parser hands every text on as UTF-8, which JSON takes as it is.
void WriteText(XmpOut& out, const std::string& text) { WriteJsonString(out.json, out.buffer, text.data(), text.size()); }

std::string KeyOf(const XmpProperty& property, bool groupKeys) {
    std::string key = groupKeys ? "XMP-" : "";
    key += property.prefix;
    key += ':';
    key += property.name;
    return key;
}

// A list is always an array; a single value, a text; a property the packet
// gives more than once (a structure's field in each item of a list), an array.
void WriteValues(XmpOut& out, XmpForm form, const std::vector<const std::string*>& values) {
    if (form == XmpForm::Simple && values.size() == 1) {
        WriteText(out, *values.front());
        return;
    }
    out.json.StartArray();
    for (const std::string* value : values) WriteText(out, *value);
    out.json.EndArray();
}

// Each language under its own key, the default one under the bare name;
// several values of one language (from a list of structures) as an array.
void WriteAlternatives(XmpOut& out, const XmpProperty& property, const std::string& key) {
    std::vector<std::pair<std::string, std::vector<const std::string*>>> byKey;
    for (size_t i = 0; i < property.values.size(); i++) {
        const std::string& language = i < property.languages.size() ? property.languages[i] : std::string();
        const std::string itemKey = language.empty() || language == "x-default" ? key : key + "-" + language;
        size_t at = 0;
        while (at < byKey.size() && byKey[at].first != itemKey) at++;
        if (at == byKey.size()) byKey.emplace_back(itemKey, std::vector<const std::string*>());
        byKey[at].second.push_back(&property.values[i]);
    }
    for (const auto& entry : byKey) {
        WriteText(out, entry.first);
        WriteValues(out, XmpForm::Simple, entry.second);
    }
}

}  // namespace

// Properties that hold a whole picture or sound as base64 (a phone's
// depth map, its original picture): hundreds of kilobytes that no catalogue
// reads as text. Written as their size, as exiftool writes binary data.
struct BinaryProperty {
    const char* namespaceUri;
    const char* path;
};
constexpr BinaryProperty kBinaryProperties[] = {
    {"http://ns.google.com/photos/1.0/image/", "Data"},
    {"http://ns.google.com/photos/1.0/depthmap/", "Data"},
    {"http://ns.google.com/photos/1.0/depthmap/", "Confidence"},
    {"http://ns.google.com/photos/1.0/audio/", "Data"},
};

bool HoldsBinaryData(const XmpProperty& property) {
    for (const BinaryProperty& binary : kBinaryProperties) {
        if (property.namespaceUri == binary.namespaceUri && property.path == binary.path) return true;
    }
    return false;
}

void WriteBinarySize(XmpOut& out, const XmpProperty& property) {
    // A long value was already replaced by its size when it was read.
    if (property.values.size() == 1 && property.values[0].compare(0, 13, "(Binary data ") == 0) {
        WriteText(out, property.values[0]);
        return;
    }
    size_t bytes = 0;
    for (const std::string& value : property.values) bytes += value.size() / 4 * 3;
    WriteText(out, "(Binary data " + std::to_string(bytes) + " bytes)");
}

void WriteXmpObject(XmpJsonWriter& json, rapidjson::StringBuffer& buffer, const std::vector<XmpProperty>& properties,
                    bool groupKeys) {
    XmpOut out{json, buffer};
    json.StartObject();
    std::vector<const std::string*> values;
    for (const XmpProperty& property : properties) {
        const std::string key = KeyOf(property, groupKeys);
        if (HoldsBinaryData(property)) {
            WriteText(out, key);
            WriteBinarySize(out, property);
            continue;
        }
        if (property.form == XmpForm::Alt) {
            WriteAlternatives(out, property, key);
            continue;
        }
        WriteText(out, key);
        values.clear();
        for (const std::string& value : property.values) values.push_back(&value);
        WriteValues(out, property.form, values);
    }
    json.EndObject();
}
