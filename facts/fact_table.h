// The summary's facts, defined once: each fact's key, type and source.
// Every writer of the data (JSON, JSON Lines, CSV, the Python module's
// dicts and its data frames' columns) iterates this table, so a fact cannot
// be added to one output and forgotten in another, nor two facts swapped
// in one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A date is an ISO 8601 text ("2021-05-12T12:21:21.35+09:00", with the
// sub-seconds and the offset when the file gives them); a list is a list
// of texts (an array in JSON, joined by ";" in CSV).
enum class FactType { Text, Integer, Number, Boolean, Date, TextList };

// The facts in output order; each is the index of its row in the table.
// The keys are the names exiftool gives the same values, so that a script
// written for its -n -json output finds them; ours are in lowerCamelCase.
enum class Fact : size_t {
    Make,
    Model,
    LensMake,
    LensModel,
    SerialNumber,
    LensSerialNumber,
    OwnerName,
    Software,
    Artist,
    Copyright,
    ImageDescription,
    Orientation,
    DateTimeOriginal,
    CreateDate,
    ModifyDate,
    DateTaken,
    ImageWidth,
    ImageHeight,
    Color,
    ExposureTime,
    FNumber,
    ApertureValue,
    MaxApertureValue,
    Iso,
    ExposureCompensation,
    ExposureProgram,
    ExposureMode,
    MeteringMode,
    LightSource,
    Flash,
    FlashFired,
    WhiteBalance,
    FocalLength,
    FocalLengthIn35mmFormat,
    FocalLength35Computed,
    DigitalZoomRatio,
    SubjectDistance,
    SubjectDistanceRange,
    SceneCaptureType,
    GpsLatitude,
    GpsLongitude,
    GpsAltitude,
    GpsDateTime,
    GpsSpeed,
    GpsImgDirection,
    UserComment,
    Comment,
    XpComment,
    XpKeywords,
    XpTitle,
    XpAuthor,
    XpSubject,
    Keywords,
    CaptionAbstract,
    ObjectName,
    ByLine,
    City,
    ProvinceState,
    Country,
    Rating,
    Label,
    Title,
    Description,
    Creator,
    Rights,
    Subject,
    HierarchicalSubject,
    Lens,
    DateCreated,
    RelativeAltitude,
    GimbalRollDegree,
    GimbalYawDegree,
    GimbalPitchDegree,
    FlightRollDegree,
    FlightYawDegree,
    FlightPitchDegree,
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

// One fact's value: absent, or a value of the fact's type (a date is text).
struct FactValue {
    enum class Kind { Absent, Text, Integer, Number, Boolean, TextList };
    Kind kind = Kind::Absent;
    std::string text;
    std::vector<std::string> list;
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
    void AddToList(Fact fact, std::string text);
};

// The name of a type, as the Python module hands it to its data frames.
const char* FactTypeName(FactType type);
