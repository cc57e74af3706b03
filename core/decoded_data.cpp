// The pools of decoded values: cleared per file, read back per entry.
#include "core/decoded_data.h"

#include <cassert>

void ClearDecodedData(DecodedData& data) {
    data.exifEntries.clear();
    data.integerPool.clear();
    data.rationalPool.clear();
    data.realPool.clear();
    data.bytePool.clear();
    data.photoshopResources.clear();
    data.iptcDatasets.clear();
    data.thumbnailUndecodable = false;
    data.hasComment = false;
    data.comment.clear();
    data.hasXmp = false;
    data.xmpPacket.clear();
    data.xmpProperties.clear();
    data.xmpMessages.clear();
    data.xmpBytes = 0;
    data.gps = GpsPosition{};
}

// A span was made by the pool it indexes: it lies inside it.
#define ASSERT_SPAN_IN(pool, span) assert((span).first + (span).count <= (pool).size())

const int64_t* EntryIntegers(const DecodedData& data, const ExifEntryData& entry) {
    if (entry.kind == ValueKind::Integers) ASSERT_SPAN_IN(data.integerPool, entry.values);
    return entry.kind == ValueKind::Integers && entry.values.count > 0 ? &data.integerPool[entry.values.first]
                                                                        : nullptr;
}

const RationalValue* EntryRationals(const DecodedData& data, const ExifEntryData& entry) {
    if (entry.kind == ValueKind::Rationals) ASSERT_SPAN_IN(data.rationalPool, entry.values);
    return entry.kind == ValueKind::Rationals && entry.values.count > 0 ? &data.rationalPool[entry.values.first]
                                                                         : nullptr;
}

const double* EntryReals(const DecodedData& data, const ExifEntryData& entry) {
    if (entry.kind == ValueKind::Reals) ASSERT_SPAN_IN(data.realPool, entry.values);
    return entry.kind == ValueKind::Reals && entry.values.count > 0 ? &data.realPool[entry.values.first] : nullptr;
}

std::string EntryBytes(const DecodedData& data, const ExifEntryData& entry) {
    return std::string(EntryByteView(data, entry));
}

std::string_view EntryByteView(const DecodedData& data, const ExifEntryData& entry) {
    if (entry.kind != ValueKind::Bytes) return std::string_view();
    return std::string_view(data.bytePool).substr(entry.values.first, entry.values.count);
}

const char* DirectoryKindName(DirectoryKind kind) {
    switch (kind) {
        case DirectoryKind::Ifd0: return "IFD0";
        case DirectoryKind::Exif: return "ExifIFD";
        case DirectoryKind::Interop: return "InteropIFD";
        case DirectoryKind::Gps: return "GPS";
        case DirectoryKind::Ifd1: return "IFD1";
        case DirectoryKind::SubIfd: return "SubIFD";
    }
    return "IFD0";
}

const XmpProperty* FindXmpProperty(const DecodedData& data, std::string_view namespaceUri,
                                   std::string_view name) {
    for (const XmpProperty& property : data.xmpProperties) {
        if (property.namespaceUri != namespaceUri) continue;
        if (property.path == name || property.name == name) return &property;
    }
    return nullptr;
}

const std::string* FirstXmpValue(const DecodedData& data, std::string_view namespaceUri,
                                 std::string_view name) {
    const XmpProperty* property = FindXmpProperty(data, namespaceUri, name);
    if (property == nullptr || property->values.empty()) return nullptr;
    return &property->values.front();
}

std::vector<std::string> XmpValues(const DecodedData& data, std::string_view namespaceUri,
                                   std::string_view name) {
    const XmpProperty* property = FindXmpProperty(data, namespaceUri, name);
    return property != nullptr ? property->values : std::vector<std::string>();
}
