// The summary record's facts as typed values.
#include "facts/summary_facts.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "core/file_facts.h"
#include "report/report.h"

namespace {

// The record keeps these as floats: each is given as the shortest decimal
// that is that float, so 1/60 s reads 0.016666668 rather than the float's
// longer expansion as a double.
double FloatAsDecimal(float value) {
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits - 1, value);
    *written.ptr = '\0';
    return std::strtod(digits, nullptr);
}

std::optional<double> NonzeroFloat(float value) {
    if (value == 0) return std::nullopt;
    return FloatAsDecimal(value);
}

std::optional<int32_t> NonzeroInteger(int32_t value) {
    if (value == 0) return std::nullopt;
    return value;
}

std::optional<std::string> NonemptyText(const char* text) {
    if (text[0] == '\0') return std::nullopt;
    return std::string(text);
}

// Cameras pad make and model with blanks to a fixed width; the padding is
// not part of the name.
std::optional<std::string> NameText(const char* text) {
    std::string name(text);
    name.erase(name.find_last_not_of(' ') + 1);
    if (name.empty()) return std::nullopt;
    return name;
}

bool IsDigits(const char* text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; i++) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// "YYYY:MM:DD HH:MM:SS" as "YYYY-MM-DDTHH:MM:SS"; absent for any other text.
std::optional<std::string> IsoDateTime(const char* text) {
    if (std::strlen(text) != 19 || !IsDigits(text, 0, 4) || text[4] != ':' || !IsDigits(text, 5, 2) ||
        text[7] != ':' || !IsDigits(text, 8, 2) || text[10] != ' ' || !IsDigits(text, 11, 2) || text[13] != ':' ||
        !IsDigits(text, 14, 2) || text[16] != ':' || !IsDigits(text, 17, 2)) {
        return std::nullopt;
    }
    std::string date(text, 19);
    date[4] = '-';
    date[7] = '-';
    date[10] = 'T';
    return date;
}

}  // namespace

SummaryFacts SummaryFactsOf(const Analysis& analysis) {
    const ImageSummary& s = analysis.summary;
    const GpsPosition& gps = analysis.decoded.gps;
    SummaryFacts facts;
    if (s.fileLengthKnown) facts.fileSize = s.fileLength;
    if (s.modifiedTimeKnown) {
        const CalendarTime t = FileTimeToLocalCalendar(s.modifiedTime);
        facts.fileModified =
            FormatText("%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
    facts.make = NameText(s.makeText);
    facts.model = NameText(s.modelText);
    facts.dateTime = IsoDateTime(s.shotTimeText);
    facts.width = s.pixelWidth;
    facts.height = s.pixelHeight;
    facts.color = s.colourImage != 0;
    if (s.orientationCode >= 1 && s.orientationCode <= 8) facts.orientation = s.orientationCode;
    if (s.flashCode >= 0) facts.flash = s.flashCode;
    facts.focalLength = NonzeroFloat(s.focalLengthMm);
    facts.focalLength35 = NonzeroInteger(s.focal35mm);
    facts.ccdWidth = NonzeroFloat(s.sensorWidthMm);
    facts.digitalZoom = NonzeroFloat(s.digitalZoom);
    facts.exposureTime = NonzeroFloat(s.exposureSeconds);
    facts.fNumber = NonzeroFloat(s.fStop);
    // A negative distance is the one the summary shows as infinite.
    facts.subjectDistanceInfinite = s.subjectDistanceM < 0;
    if (s.subjectDistanceM > 0) facts.subjectDistance = FloatAsDecimal(s.subjectDistanceM);
    facts.iso = NonzeroInteger(s.isoSpeed);
    facts.exposureBias = NonzeroFloat(s.exposureBiasEv);
    if (s.whiteBalanceCode >= 0) facts.whiteBalance = s.whiteBalanceCode;
    facts.lightSource = NonzeroInteger(s.lightSourceCode);
    if (s.meteringCode >= 0) facts.meteringMode = s.meteringCode;
    facts.exposureProgram = NonzeroInteger(s.exposureProgramCode);
    facts.exposureMode = NonzeroInteger(s.exposureModeCode);
    facts.focusRange = NonzeroInteger(s.subjectRangeCode);
    if (s.gpsPresent && gps.hasLatitude) facts.gpsLatitude = gps.latitude;
    if (s.gpsPresent && gps.hasLongitude) facts.gpsLongitude = gps.longitude;
    if (s.gpsPresent && gps.hasAltitude) facts.gpsAltitude = gps.altitude;
    facts.comment = NonemptyText(s.commentText);
    facts.iptcBytes = NonzeroInteger(s.iptcBytes);
    facts.xmpBytes = NonzeroInteger(s.xmpBytes);
    facts.thumbnailBytes = NonzeroInteger(s.thumbnailBytes);
    if (s.thumbnailPixelWidth > 0 && s.thumbnailPixelHeight > 0) {
        facts.thumbnailWidth = s.thumbnailPixelWidth;
        facts.thumbnailHeight = s.thumbnailPixelHeight;
    }
    return facts;
}
