// The summary record's facts as typed values.
#include "facts/summary_facts.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// Setters for the record's conventions: absent at 0, or when not set.
void SetNonzeroFloat(FactValues& values, Fact fact, float value) {
    if (value != 0) values.SetNumber(fact, FloatAsDecimal(value));
}

void SetNonzeroInteger(FactValues& values, Fact fact, int32_t value) {
    if (value != 0) values.SetInteger(fact, value);
}

void SetOptionalText(FactValues& values, Fact fact, std::optional<std::string> text) {
    if (text) values.SetText(fact, std::move(*text));
}

void SetCode(FactValues& values, Fact fact, int32_t code) {
    if (code >= 0) values.SetInteger(fact, code);
}

void SetCamera(FactValues& f, const ImageSummary& s) {
    SetOptionalText(f, Fact::Make, NameText(s.makeText));
    SetOptionalText(f, Fact::Model, NameText(s.modelText));
    SetOptionalText(f, Fact::DateTime, IsoDateTime(s.shotTimeText));
    f.SetInteger(Fact::Width, s.pixelWidth);
    f.SetInteger(Fact::Height, s.pixelHeight);
    f.SetBoolean(Fact::Color, s.colourImage != 0);
    if (s.orientationCode >= 1 && s.orientationCode <= 8) f.SetInteger(Fact::Orientation, s.orientationCode);
    if (s.flashCode >= 0) {
        f.SetInteger(Fact::Flash, s.flashCode);
        f.SetBoolean(Fact::FlashFired, (s.flashCode & 1) != 0);
    }
}

void SetExposure(FactValues& f, const ImageSummary& s) {
    SetNonzeroFloat(f, Fact::FocalLength, s.focalLengthMm);
    SetNonzeroInteger(f, Fact::FocalLength35, s.focal35mm);
    SetNonzeroFloat(f, Fact::CcdWidth, s.sensorWidthMm);
    SetNonzeroFloat(f, Fact::DigitalZoom, s.digitalZoom);
    SetNonzeroFloat(f, Fact::ExposureTime, s.exposureSeconds);
    SetNonzeroFloat(f, Fact::FNumber, s.fStop);
    // A negative distance is the one the summary shows as infinite.
    if (s.subjectDistanceM < 0) {
        f.SetText(Fact::SubjectDistance, "infinity");
    } else {
        SetNonzeroFloat(f, Fact::SubjectDistance, s.subjectDistanceM);
    }
    SetNonzeroInteger(f, Fact::Iso, s.isoSpeed);
    SetNonzeroFloat(f, Fact::ExposureBias, s.exposureBiasEv);
    SetCode(f, Fact::WhiteBalance, s.whiteBalanceCode);
    SetNonzeroInteger(f, Fact::LightSource, s.lightSourceCode);
    SetCode(f, Fact::MeteringMode, s.meteringCode);
    SetNonzeroInteger(f, Fact::ExposureProgram, s.exposureProgramCode);
    SetNonzeroInteger(f, Fact::ExposureMode, s.exposureModeCode);
    SetNonzeroInteger(f, Fact::FocusRange, s.subjectRangeCode);
}

void SetPlaceAndSections(FactValues& f, const ImageSummary& s, const GpsPosition& gps) {
    if (s.gpsPresent && gps.hasLatitude) f.SetNumber(Fact::GpsLatitude, gps.latitude);
    if (s.gpsPresent && gps.hasLongitude) f.SetNumber(Fact::GpsLongitude, gps.longitude);
    if (s.gpsPresent && gps.hasAltitude) f.SetNumber(Fact::GpsAltitude, gps.altitude);
    if (s.commentText[0] != '\0') f.SetText(Fact::Comment, s.commentText);
    SetNonzeroInteger(f, Fact::IptcBytes, s.iptcBytes);
    SetNonzeroInteger(f, Fact::XmpBytes, s.xmpBytes);
    SetNonzeroInteger(f, Fact::ThumbnailBytes, s.thumbnailBytes);
    if (s.thumbnailPixelWidth > 0 && s.thumbnailPixelHeight > 0) {
        f.SetInteger(Fact::ThumbnailWidth, s.thumbnailPixelWidth);
        f.SetInteger(Fact::ThumbnailHeight, s.thumbnailPixelHeight);
    }
}

}  // namespace

SummaryFacts SummaryFactsOf(const Analysis& analysis) {
    const ImageSummary& s = analysis.summary;
    SummaryFacts facts;
    if (s.fileLengthKnown) facts.fileSize = s.fileLength;
    if (s.modifiedTimeKnown) {
        const CalendarTime t = FileTimeToLocalCalendar(s.modifiedTime);
        facts.fileModified =
            FormatText("%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
    SetCamera(facts.summary, s);
    SetExposure(facts.summary, s);
    SetPlaceAndSections(facts.summary, s, analysis.decoded.gps);
    return facts;
}
