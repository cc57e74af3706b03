// The summary's facts, defined once: each fact's key, type and source.
// Every writer of the data (JSON, JSON Lines, CSV, the Python module's
// dicts and its data frames' columns) iterates this table, so a fact cannot
// be added to one output and forgotten in another, nor two facts swapped
// in one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class FactType { Text, Integer, Number, Boolean };

// The facts in output order; each is the index of its row in the table.
enum class Fact : size_t {
    Make,
    Model,
    DateTime,
    Width,
    Height,
    Color,
    Orientation,
    Flash,
    FlashFired,
    FocalLength,
    FocalLength35,
    CcdWidth,
    DigitalZoom,
    ExposureTime,
    FNumber,
    SubjectDistance,
    Iso,
    ExposureBias,
    WhiteBalance,
    LightSource,
    MeteringMode,
    ExposureProgram,
    ExposureMode,
    FocusRange,
    GpsLatitude,
    GpsLongitude,
    GpsAltitude,
    Comment,
    IptcBytes,
    XmpBytes,
    ThumbnailBytes,
    ThumbnailWidth,
    ThumbnailHeight,
    Count
};
constexpr size_t kFactCount = static_cast<size_t>(Fact::Count);

struct FactDefinition {
    Fact fact;
    const char* key;      // the JSON key and the CSV column
    FactType type;
    const char* meaning;  // for people: what the value is, in its unit
    const char* source;   // where it comes from in the file
};

// The row of a fact.
const FactDefinition& FactRow(Fact fact);
inline const FactDefinition& FactRow(size_t index) { return FactRow(static_cast<Fact>(index)); }

// One fact's value: absent, or a value of the fact's type. A number may be
// given as text where the file says something no number can (an infinite
// subject distance).
struct FactValue {
    enum class Kind { Absent, Text, Integer, Number, Boolean };
    Kind kind = Kind::Absent;
    std::string text;
    int64_t integer = 0;
    double number = 0;
    bool boolean = false;
};

struct FactValues {
    FactValue values[kFactCount];

    const FactValue& operator[](Fact fact) const { return values[static_cast<size_t>(fact)]; }
    void SetText(Fact fact, std::string text);
    void SetInteger(Fact fact, int64_t value);
    void SetNumber(Fact fact, double value);
    void SetBoolean(Fact fact, bool value);
};

// The name of a type, as the Python module hands it to its data frames.
const char* FactTypeName(FactType type);
