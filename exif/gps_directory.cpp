#include "exif/gps_directory.h"

#include <cstring>
#include <utility>

#include "exif/directory_entry.h"
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

void StoreCoordinate(char* member, size_t capacity, const DirectoryEntry& entry, int bigEndian) {
    std::string coordinate = GpsCoordinateText(entry.valueToBlockEnd, entry.format, bigEndian);
    AppendToMember(member, capacity, "  " + coordinate.substr(0, kCoordinateLimit));
}

void StoreAltitudeText(ImageSummary& summary, const AltitudeState& altitude) {
    if (!altitude.known) {
        // A reference without an altitude leaves a single blank.
        summary.gpsAltitudeText[0] = ' ';
        return;
    }
    double metres = altitude.belowSeaLevel && altitude.metres != 0 ? -altitude.metres : altitude.metres;
    std::string text = FormatText(" %.2fm", metres);
    // An absurd altitude would not fit the member with two decimals; its
    // short form keeps the magnitude right instead of cutting digits off.
    if (text.size() >= sizeof summary.gpsAltitudeText) text = FormatText(" %.6gm", metres);
    SetMember(summary.gpsAltitudeText, sizeof summary.gpsAltitudeText, text);
}

// The reference is a BYTE; writers that store it as text keep the number in its first byte.
bool AltitudeRefBelowSeaLevel(const DirectoryEntry& entry, int bigEndian) {
    if (HoldsText(entry.format)) {
        uint8_t byte = 0;
        return ReadU8(entry.value, 0, &byte) && byte == 1;
    }
    return ValueAsDouble(entry.format, entry.valueToBlockEnd, bigEndian) == 1;
}

void UpdateGpsTexts(ImageSummary& summary, const DirectoryEntry& entry, AltitudeState& altitude) {
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
            StoreCoordinate(summary.gpsLatitudeText, sizeof summary.gpsLatitudeText, entry, bigEndian);
            break;
        case kTagLongitude:
            StoreCoordinate(summary.gpsLongitudeText, sizeof summary.gpsLongitudeText, entry, bigEndian);
            break;
        case kTagAltitudeRef:
            altitude.belowSeaLevel = AltitudeRefBelowSeaLevel(entry, bigEndian);
            StoreAltitudeText(summary, altitude);
            break;
        case kTagAltitude:
            altitude.known = true;
            altitude.metres = ValueAsDouble(entry.format, entry.valueToBlockEnd, bigEndian);
            StoreAltitudeText(summary, altitude);
            break;
        default:
            break;
    }
}

// Every component on its own, joined by ","; no cap on their number.
std::string GpsValueText(const DirectoryEntry& entry, int bigEndian) {
    if (HoldsText(entry.format)) return QuotedValueText(entry.value, entry.byteCount);
    const int size = FormatByteSize(entry.format);
    std::string text;
    for (int64_t position = 0; position < entry.byteCount; position += size) {
        ByteView component;
        if (!SubView(entry.value, position, size, &component)) break;
        if (position > 0) text += ",";
        AppendValueList(text, component, bigEndian, entry.format, size);
    }
    return text;
}

// False, with nothing shown, when the walk's budget cannot pay for the line.
bool PrintGpsEntry(const DirectoryEntry& entry, int bigEndian) {
    const std::string value = GpsValueText(entry, bigEndian);
    const bool known = entry.tag < kGpsTagNameCount;
    std::string label = known ? std::string("        GPS") + kGpsTagNames[entry.tag]
                              : FormatText("        Illegal GPS tag %04x", entry.tag);
    if (!ExifWalkBudgetAllows(EntryLineBytes(label, value))) return false;
    if (!known) SetReportColor(kColorRed);
    ShowEntryLine(std::move(label), value);
    return true;
}

}  // namespace

std::string GpsCoordinateText(ByteView value, int format, int bigEndian) {
    if (format != static_cast<int>(ValueFormat::Rational)) {
        ReportNonfatal("Inappropriate format(%d) for GPS coordinates!\r\n", format, 0);
    }
    const int64_t size = FormatByteSize(format);
    std::string text;
    for (int k = 0; k < 3; k++) {
        const int64_t position = k * size;
        // The precision comes from the denominator of a rational.
        int32_t denominator = 0;
        ReadS32At(value, position + 4, bigEndian != 0, &denominator);
        int decimals = DecimalsForDenominator(denominator);
        int width = 2 + decimals + (decimals != 0 ? 1 : 0);
        double number = ValueAsDouble(format, TailView(value, position), bigEndian);
        static const char* const kUnits[] = {"d ", "m ", "s"};
        text += FormatText("%*.*f", width, decimals, number);
        text += kUnits[k];
    }
    return text;
}

void DecodeGpsDirectory(ImageSummary& summary, ByteView block, int64_t directoryOffset, int level) {
    const int bigEndian = summary.bigEndian;
    const std::string indent = DirectoryIndent(level);
    AppendReportFormat("%sGPS Dir:\r\n", indent.c_str());
    uint16_t entryCount = 0;
    if (!ReadU16At(block, directoryOffset, bigEndian != 0, &entryCount)) {
        ReportNonfatal("GPS sei directory goes past end of exif\r\n", 0, 0);
        return;
    }
    AppendReportFormat("%sMap: %05d - %05d: Directory", indent.c_str(), static_cast<int>(directoryOffset),
                       static_cast<int>(directoryOffset + 2 + kEntrySize * entryCount + 4));
    AppendReportFormat("(dir has %d entries)\r\n", entryCount);
    summary.gpsPresent = 1;
    SetMember(summary.gpsLatitudeText, sizeof summary.gpsLatitudeText, "? ?");
    SetMember(summary.gpsLongitudeText, sizeof summary.gpsLongitudeText, "? ?");
    summary.gpsAltitudeText[0] = '\0';
    AltitudeState altitude;
    for (int i = 0; i < entryCount; i++) {
        if (!ExifWalkBudgetAllows(0)) return;
        const int64_t entryOffset = directoryOffset + 2 + kEntrySize * i;
        if (!ViewHas(block, entryOffset, kEntrySize)) {
            ReportNonfatal("GPS sei directory goes past end of exif\r\n", 0, 0);
            return;
        }
        DirectoryEntry entry = ReadDirectoryEntry(block, entryOffset, bigEndian);
        if (entry.format < kLowestFormat || entry.format > kHighestFormat) {
            ReportNonfatal("Illegal number format %d for tag %04x\r\n", entry.format, entry.tag);
            continue;
        }
        if (!LocateEntryValue(block, entryOffset, bigEndian, entry)) {
            ReportNonfatal("Illegal value pointer for tag %04x\r\n", entry.tag, 0);
            continue;
        }
        // Like the listing, the summary takes nothing from a value of no components.
        if (entry.componentCount != 0) UpdateGpsTexts(summary, entry, altitude);
        if (!PrintGpsEntry(entry, bigEndian)) return;
    }
}
