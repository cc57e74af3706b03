// The GPS directory: its entries listed and kept as data, the position
// texts of the summary record and the position as numbers.
#include "exif/gps_directory.h"

#include <cstring>
#include <utility>

#include "exif/directory_entry.h"
#include "exif/exif_walk.h"
#include "exif/value_format.h"
#include "exif/walk_budget.h"
#include "report/report.h"

namespace {

// Names padded to 16 characters, indexed by tag number.
const char* const kGpsTagNames[] = {
    "VersionID       ", "LatitudeRef     ", "Latitude        ", "LongitudeRef    ", "Longitude       ",
    "AltitudeRef     ", "Altitude        ", "TimeStamp       ", "Satellites      ", "Status          ",
    "MeasureMode     ", "DOP             ", "SpeedRef        ", "Speed           ", "TrackRef        ",
    "Track           ", "ImgDirectionRef ", "ImgDirection    ", "MapDatum        ", "DestLatitudeRef ",
    "DestLatitude    ", "DestLongitudeRef", "DestLongitude   ", "DestBearingRef  ", "DestBearing     ",
    "DestDistanceRef ", "DestDistance    ", "ProcessingMethod", "AreaInformation ", "DateStamp       ",
    "Differential    ",
};
constexpr uint16_t kGpsTagNameCount = sizeof kGpsTagNames / sizeof kGpsTagNames[0];

constexpr uint16_t kTagLatitudeRef = 1;
constexpr uint16_t kTagLatitude = 2;
constexpr uint16_t kTagLongitudeRef = 3;
constexpr uint16_t kTagLongitude = 4;
constexpr uint16_t kTagAltitudeRef = 5;
constexpr uint16_t kTagAltitude = 6;

// Two blanks and at most this much of the coordinate follow the reference.
constexpr size_t kCoordinateLimit = 29;
constexpr int kMostDecimals = 6;

// AltitudeRef 1 means the altitude is below sea level.
struct AltitudeState {
    bool belowSeaLevel = false;
    bool known = false;
    double metres = 0;
};

// Appends text to a record member, keeping its terminator inside it.
void AppendToMember(char* member, size_t capacity, const std::string& text) {
    size_t used = std::strlen(member);
    size_t room = capacity - 1 - used;
    size_t count = text.size() < room ? text.size() : room;
    std::memcpy(member + used, text.data(), count);
    member[used + count] = '\0';
}

void SetMember(char* member, size_t capacity, const std::string& text) {
    member[0] = '\0';
    AppendToMember(member, capacity, text);
}

int DecimalsForDenominator(int32_t denominator) {
    int decimals = 0;
    while (denominator > 1 && decimals < kMostDecimals) {
        denominator /= 10;
        decimals++;
    }
    return decimals;
}

// Stores the coordinate's text in the member; returns it in degrees.
double StoreCoordinate(Report& report, char* member, size_t capacity, const DirectoryEntry& entry, int bigEndian) {
    double degrees = 0;
    std::string coordinate = GpsCoordinateText(report, entry.valueToBlockEnd, entry.format, bigEndian, &degrees);
    AppendToMember(member, capacity, "  " + coordinate.substr(0, kCoordinateLimit));
    return degrees;
}

// The position as numbers, kept with the sign of its reference: the
// reference's first byte, S or W for the negative side.
void KeepPosition(GpsPosition& position, char latitudeRef, char longitudeRef) {
    if (position.hasLatitude && latitudeRef == 'S' && position.latitude > 0) position.latitude = -position.latitude;
    if (position.hasLongitude && longitudeRef == 'W' && position.longitude > 0) {
        position.longitude = -position.longitude;
    }
}

void StoreAltitudeText(ImageSummary& summary, GpsPosition& position, const AltitudeState& altitude) {
    if (!altitude.known) {
        // A reference without an altitude leaves a single blank.
        summary.gpsAltitudeText[0] = ' ';
        return;
    }
    double metres = altitude.belowSeaLevel && altitude.metres != 0 ? -altitude.metres : altitude.metres;
    position.hasAltitude = true;
    position.altitude = metres;
    std::string text = FormatText(" %.2fm", metres);
    // An absurd altitude would not fit the member with two decimals; its
    // short form keeps the magnitude right instead of cutting digits off.
    if (text.size() >= sizeof summary.gpsAltitudeText) text = FormatText(" %.6gm", metres);
    SetMember(summary.gpsAltitudeText, sizeof summary.gpsAltitudeText, text);
}

// The reference is a BYTE; writers that store it as text keep the number in its first byte.
bool AltitudeRefBelowSeaLevel(Report& report, const DirectoryEntry& entry, int bigEndian) {
    if (HoldsText(entry.format)) {
        uint8_t byte = 0;
        return ReadU8(entry.value, 0, &byte) && byte == 1;
    }
    return ValueAsDouble(report, entry.format, entry.valueToBlockEnd, bigEndian) == 1;
}

void UpdateGpsTexts(Analysis& analysis, const DirectoryEntry& entry, AltitudeState& altitude) {
    ImageSummary& summary = analysis.summary;
    Report& report = analysis.report;
    GpsPosition& position = analysis.decoded.gps;
    const int bigEndian = summary.bigEndian;
    uint8_t firstByte = 0;
    switch (entry.tag) {
        case kTagLatitudeRef:
            if (ReadU8(entry.value, 0, &firstByte)) summary.gpsLatitudeText[0] = static_cast<char>(firstByte);
            break;
        case kTagLongitudeRef:
            if (ReadU8(entry.value, 0, &firstByte)) summary.gpsLongitudeText[0] = static_cast<char>(firstByte);
            break;
        case kTagLatitude:
            position.hasLatitude = true;
            position.latitude =
                StoreCoordinate(report, summary.gpsLatitudeText, sizeof summary.gpsLatitudeText, entry, bigEndian);
            break;
        case kTagLongitude:
            position.hasLongitude = true;
            position.longitude =
                StoreCoordinate(report, summary.gpsLongitudeText, sizeof summary.gpsLongitudeText, entry, bigEndian);
            break;
        case kTagAltitudeRef:
            altitude.belowSeaLevel = AltitudeRefBelowSeaLevel(report, entry, bigEndian);
            StoreAltitudeText(summary, position, altitude);
            break;
        case kTagAltitude:
            altitude.known = true;
            altitude.metres = ValueAsDouble(report, entry.format, entry.valueToBlockEnd, bigEndian);
            StoreAltitudeText(summary, position, altitude);
            break;
        default:
            break;
    }
}

// Every component on its own, joined by ","; no cap on their number.
std::string GpsValueText(Report& report, const DirectoryEntry& entry, int bigEndian) {
    if (HoldsText(entry.format)) return QuotedValueText(entry.value, entry.byteCount);
    const int size = FormatByteSize(entry.format);
    std::string text;
    for (int64_t position = 0; position < entry.byteCount; position += size) {
        ByteView component;
        if (!SubView(entry.value, position, size, &component)) break;
        if (position > 0) text += ",";
        AppendValueList(report, text, component, bigEndian, entry.format, size);
    }
    return text;
}

// False, with nothing shown, when the walk's budget cannot pay for the line
// and the values it keeps.
bool PrintGpsEntry(ExifWalk& walk, const DirectoryEntry& entry, int bigEndian) {
    const std::string value = GpsValueText(walk.analysis.report, entry, bigEndian);
    const bool known = entry.tag < kGpsTagNameCount;
    std::string label = known ? std::string("        GPS") + kGpsTagNames[entry.tag]
                              : FormatText("        Illegal GPS tag %04x", entry.tag);
    const size_t kept = DataBytesOfValues(entry.format, static_cast<uint32_t>(entry.componentCount));
    return ShowEntry(walk, std::move(label), value, known, kept);
}

}  // namespace

std::string GpsCoordinateText(Report& report, ByteView value, int format, int bigEndian, double* degrees) {
    if (format != static_cast<int>(ValueFormat::Rational)) {
        ReportNonfatal(report, "Inappropriate format(%d) for GPS coordinates!\r\n", format);
    }
    const int64_t size = FormatByteSize(format);
    std::string text;
    double total = 0;
    double unitsPerDegree = 1;
    for (int k = 0; k < 3; k++) {
        const int64_t position = k * size;
        // The precision comes from the denominator of a rational.
        int32_t denominator = 0;
        ReadS32At(value, position + 4, bigEndian != 0, &denominator);
        int decimals = DecimalsForDenominator(denominator);
        int width = 2 + decimals + (decimals != 0 ? 1 : 0);
        double number = ValueAsDouble(report, format, TailView(value, position), bigEndian);
        total += number / unitsPerDegree;
        unitsPerDegree *= 60;
        static const char* const kUnits[] = {"d ", "m ", "s"};
        text += FormatText("%*.*f", width, decimals, number);
        text += kUnits[k];
    }
    if (degrees != nullptr) *degrees = total;
    return text;
}

void DecodeGpsDirectory(ExifWalk& walk, int64_t directoryOffset, int level) {
    Analysis& analysis = walk.analysis;
    Report& report = analysis.report;
    ImageSummary& summary = analysis.summary;
    const ByteView block = walk.block;
    const int bigEndian = summary.bigEndian;
    const std::string indent = DirectoryIndent(level);
    AppendReportFormat(report, "%sGPS Dir:\r\n", indent.c_str());
    uint16_t entryCount = 0;
    if (!ReadU16At(block, directoryOffset, bigEndian != 0, &entryCount)) {
        ReportNonfatal(report, "GPS sei directory goes past end of exif\r\n");
        return;
    }
    ShowDirectoryMap(walk, indent, directoryOffset, entryCount);
    summary.gpsPresent = 1;
    SetMember(summary.gpsLatitudeText, sizeof summary.gpsLatitudeText, "? ?");
    SetMember(summary.gpsLongitudeText, sizeof summary.gpsLongitudeText, "? ?");
    summary.gpsAltitudeText[0] = '\0';
    // Like the texts, the position is what this directory says.
    analysis.decoded.gps = GpsPosition{};
    AltitudeState altitude;
    for (int i = 0; i < entryCount; i++) {
        if (!ExifWalkBudgetAllows(walk.budget, report, 0)) break;
        const int64_t entryOffset = directoryOffset + 2 + kEntrySize * i;
        if (!ViewHas(block, entryOffset, kEntrySize)) {
            ReportNonfatal(report, "GPS sei directory goes past end of exif\r\n");
            break;
        }
        DirectoryEntry entry;
        if (!ReadCheckedEntry(walk, entryOffset, false, &entry)) continue;
        // Like the listing, the summary takes nothing from a value of no components.
        if (entry.componentCount != 0) UpdateGpsTexts(analysis, entry, altitude);
        if (!PrintGpsEntry(walk, entry, bigEndian)) break;
        KeepEntry(walk, entry, DirectoryKind::Gps, entry.tag < kGpsTagNameCount ? kGpsTagNames[entry.tag] : nullptr,
                  true);
    }
    KeepPosition(analysis.decoded.gps, summary.gpsLatitudeText[0], summary.gpsLongitudeText[0]);
}
