// What one analysis decodes, as data: filled by the same walk that prints
// the panes, so that a caller gets the values without reading the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The directories of an EXIF block. Directories chained after the
// thumbnail's are counted as IFD1 too. SubIFDs (tag 0x014A: the raw data
// and previews of a TIFF-structured file) are walked in those files only.
enum class DirectoryKind { Ifd0, Exif, Interop, Gps, Ifd1, SubIfd };

struct RationalValue {
    int64_t numerator = 0;
    int64_t denominator = 0;
};

// Where an entry's values lie in the pools of DecodedData: one of the
// three number pools, or the byte pool for ASCII and UNDEFINED values.
struct ValueSpan {
    size_t first = 0;
    size_t count = 0;
};

enum class ValueKind {
    Integers,   // BYTE, SHORT, LONG, SBYTE, SSHORT, SLONG
    Rationals,  // RATIONAL, SRATIONAL
    Reals,      // FLOAT, DOUBLE
    Bytes,      // ASCII and UNDEFINED: the stored bytes
    Omitted,    // a maker note: only its size is shown
};

// One entry of an EXIF directory as the listing shows it.
struct ExifEntryData {
    DirectoryKind directory = DirectoryKind::Ifd0;
    uint16_t tag = 0;
    const char* name = nullptr;  // the listing's name; nullptr for a tag the tables lack
    int format = 0;
    uint32_t count = 0;           // components
    int64_t valueOffset = 0;      // from the TIFF header
    ValueKind kind = ValueKind::Integers;
    ValueSpan values;
};

// A field of a Photoshop resource's decoded line: a number or a text.
struct ResourceField {
    const char* name = "";
    bool isText = false;
    int64_t number = 0;
    std::string text;
};

struct PhotoshopResourceData {
    uint16_t id = 0;
    const char* name = "";
    int32_t size = 0;
    std::vector<ResourceField> fields;
};

enum class IptcKind { Number, Fixed, Text, Unknown };

struct IptcDatasetData {
    int record = 0;
    int dataset = 0;
    const char* name = nullptr;  // nullptr for a dataset the table lacks
    IptcKind kind = IptcKind::Unknown;
    std::string value;           // the stored bytes
};

// The GPS position as numbers, beside the texts the summary prints.
struct GpsPosition {
    bool hasLatitude = false;
    bool hasLongitude = false;
    bool hasAltitude = false;
    double latitude = 0;   // degrees, south negative
    double longitude = 0;  // degrees, west negative
    double altitude = 0;   // metres, below sea level negative
};

// How an XMP property holds its values: one simple value, the items of an
// unordered or ordered list, or the alternatives of a language list.
enum class XmpForm { Simple, Bag, Seq, Alt };

// One XMP property. A structure's fields are properties of their own, named
// by the path from the top property: exif:Flash's field Fired is the
// property "Flash/Fired", named "FlashFired". Fields of structures inside a
// list collect one value per item, in order.
struct XmpProperty {
    std::string namespaceUri;
    std::string prefix;  // the namespace's prefix as the packet writes it
    std::string path;    // the local names from the top property down, joined by '/'
    std::string name;    // the names of the path, each with a capital first letter, run together
    XmpForm form = XmpForm::Simple;
    std::vector<std::string> values;     // in the packet's order
    std::vector<std::string> languages;  // for Alt: each value's xml:lang ("x-default" first)
};

struct DecodedData {
    std::vector<ExifEntryData> exifEntries;
    std::vector<int64_t> integerPool;
    std::vector<RationalValue> rationalPool;
    std::vector<double> realPool;
    std::string bytePool;
    std::vector<PhotoshopResourceData> photoshopResources;
    std::vector<IptcDatasetData> iptcDatasets;
    bool thumbnailUndecodable = false;  // a decode was tried and failed
    bool hasComment = false;
    std::string comment;    // the first COM segment's payload, as stored
    bool hasXmp = false;
    std::string xmpPacket;  // the packet after its namespace name
    std::vector<XmpProperty> xmpProperties;  // of the packet and its extension
    std::vector<std::string> xmpMessages;    // what could not be read, and why
    int64_t xmpBytes = 0;  // the packet and the extension pieces reassembled with it
    GpsPosition gps;
};

// Empties the data for the next file, keeping the memory of its pools.
void ClearDecodedData(DecodedData& data);

// The values of an entry, read back from the pools.
const int64_t* EntryIntegers(const DecodedData& data, const ExifEntryData& entry);
const RationalValue* EntryRationals(const DecodedData& data, const ExifEntryData& entry);
const double* EntryReals(const DecodedData& data, const ExifEntryData& entry);
std::string EntryBytes(const DecodedData& data, const ExifEntryData& entry);
// The same bytes where they lie in the pool, valid while the pool is unchanged.
std::string_view EntryByteView(const DecodedData& data, const ExifEntryData& entry);

const char* DirectoryKindName(DirectoryKind kind);

// The XMP property of this namespace whose path or name is name ("subject"
// or "Subject", "Flash/Fired" or "FlashFired"); nullptr when there is none.
const XmpProperty* FindXmpProperty(const DecodedData& data, std::string_view namespaceUri,
                                   std::string_view name);
// Its first value (the x-default one of a language list); nullptr when the
// property is absent or holds no value.
const std::string* FirstXmpValue(const DecodedData& data, std::string_view namespaceUri,
                                 std::string_view name);
// All its values, in order; empty when the property is absent.
std::vector<std::string> XmpValues(const DecodedData& data, std::string_view namespaceUri,
                                   std::string_view name);
