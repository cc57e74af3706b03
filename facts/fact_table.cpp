// The table of the summary's facts.
#include "facts/fact_table.h"

#include <cassert>
#include <utility>

namespace {

constexpr FactDefinition kFacts[] = {
    {Fact::Make, "make", FactType::Text, "camera maker, trailing blanks removed", "Make (0x010F)"},
    {Fact::Model, "model", FactType::Text, "camera model, trailing blanks removed", "Model (0x0110)"},
    {Fact::DateTime, "dateTime", FactType::Text, "date and time taken, YYYY-MM-DDTHH:MM:SS",
     "DateTimeOriginal (0x9003), else DateTimeDigitized (0x9004) or DateTime (0x0132)"},
    {Fact::Width, "width", FactType::Integer, "picture width in pixels", "frame header (SOFn)"},
    {Fact::Height, "height", FactType::Integer, "picture height in pixels", "frame header (SOFn)"},
    {Fact::Color, "color", FactType::Boolean, "whether the picture has three colour components",
     "frame header (SOFn)"},
    {Fact::Orientation, "orientation", FactType::Integer, "orientation code 1-8", "Orientation (0x0112)"},
    {Fact::Flash, "flash", FactType::Integer, "flash code", "Flash (0x9209)"},
    {Fact::FlashFired, "flashFired", FactType::Boolean, "whether the flash fired", "Flash (0x9209) bit 0"},
    {Fact::FocalLength, "focalLength", FactType::Number, "focal length in mm", "FocalLength (0x920A)"},
    {Fact::FocalLength35, "focalLength35", FactType::Integer, "35 mm equivalent focal length in mm",
     "FocalLengthIn35mmFormat (0xA405), else from the sensor width"},
    {Fact::CcdWidth, "ccdWidth", FactType::Number, "sensor width in mm",
     "FocalPlaneXResolution (0xA20E) and its unit (0xA210)"},
    {Fact::DigitalZoom, "digitalZoom", FactType::Number, "digital zoom ratio", "DigitalZoomRatio (0xA404)"},
    {Fact::ExposureTime, "exposureTime", FactType::Number, "exposure time in seconds",
     "ExposureTime (0x829A), else ShutterSpeedValue (0x9201)"},
    {Fact::FNumber, "fNumber", FactType::Number, "f-number",
     "FNumber (0x829D), else ApertureValue (0x9202) or MaxApertureValue (0x9205)"},
    {Fact::SubjectDistance, "subjectDistance", FactType::Number, "subject distance in metres, or \"infinity\"",
     "SubjectDistance (0x9206)"},
    {Fact::Iso, "iso", FactType::Integer, "ISO speed", "ISOSpeedRatings (0x8827), else ExposureIndex (0xA215)"},
    {Fact::ExposureBias, "exposureBias", FactType::Number, "exposure bias in EV", "ExposureBiasValue (0x9204)"},
    {Fact::WhiteBalance, "whiteBalance", FactType::Integer, "white balance code", "WhiteBalance (0xA403)"},
    {Fact::LightSource, "lightSource", FactType::Integer, "light source code", "LightSource (0x9208)"},
    {Fact::MeteringMode, "meteringMode", FactType::Integer, "metering mode code", "MeteringMode (0x9207)"},
    {Fact::ExposureProgram, "exposureProgram", FactType::Integer, "exposure program code",
     "ExposureProgram (0x8822)"},
    {Fact::ExposureMode, "exposureMode", FactType::Integer, "exposure mode code", "ExposureMode (0xA402)"},
    {Fact::FocusRange, "focusRange", FactType::Integer, "subject distance range code",
     "SubjectDistanceRange (0xA40C)"},
    {Fact::GpsLatitude, "gpsLatitude", FactType::Number, "latitude in degrees, south negative",
     "GPSLatitude (2) and GPSLatitudeRef (1)"},
    {Fact::GpsLongitude, "gpsLongitude", FactType::Number, "longitude in degrees, west negative",
     "GPSLongitude (4) and GPSLongitudeRef (3)"},
    {Fact::GpsAltitude, "gpsAltitude", FactType::Number, "altitude in metres, below sea level negative",
     "GPSAltitude (6) and GPSAltitudeRef (5)"},
    {Fact::Comment, "comment", FactType::Text, "the comment",
     "COM segment, UserComment (0x9286) or XPComment (0x9C9C)"},
    {Fact::IptcBytes, "iptcBytes", FactType::Integer, "size of the APP13 segment", "APP13 segment"},
    {Fact::XmpBytes, "xmpBytes", FactType::Integer, "size of the XMP segment", "APP1 XMP segment"},
    {Fact::ThumbnailBytes, "thumbnailBytes", FactType::Integer, "size of the EXIF thumbnail",
     "JPEGInterchangeFormatLength (0x0202)"},
    {Fact::ThumbnailWidth, "thumbnailWidth", FactType::Integer, "thumbnail width in pixels", "the thumbnail"},
    {Fact::ThumbnailHeight, "thumbnailHeight", FactType::Integer, "thumbnail height in pixels", "the thumbnail"},
};
static_assert(sizeof kFacts / sizeof kFacts[0] == kFactCount, "one row per fact");

// Each row sits at its fact's index: checked once at compile time.
constexpr bool RowsInOrder() {
    for (size_t i = 0; i < kFactCount; i++) {
        if (static_cast<size_t>(kFacts[i].fact) != i) return false;
    }
    return true;
}
static_assert(RowsInOrder(), "the table lists the facts in the order of the enumeration");

FactValue& Slot(FactValues& values, Fact fact) {
    assert(fact < Fact::Count);
    return values.values[static_cast<size_t>(fact)];
}

}  // namespace

const FactDefinition& FactRow(Fact fact) {
    assert(fact < Fact::Count);
    return kFacts[static_cast<size_t>(fact)];
}

void FactValues::SetText(Fact fact, std::string text) {
    FactValue& value = Slot(*this, fact);
    value.kind = FactValue::Kind::Text;
    value.text = std::move(text);
}

void FactValues::SetInteger(Fact fact, int64_t number) {
    FactValue& value = Slot(*this, fact);
    value.kind = FactValue::Kind::Integer;
    value.integer = number;
}

void FactValues::SetNumber(Fact fact, double number) {
    FactValue& value = Slot(*this, fact);
    value.kind = FactValue::Kind::Number;
    value.number = number;
}

void FactValues::SetBoolean(Fact fact, bool flag) {
    FactValue& value = Slot(*this, fact);
    value.kind = FactValue::Kind::Boolean;
    value.boolean = flag;
}

const char* FactTypeName(FactType type) {
    switch (type) {
        case FactType::Text: return "text";
        case FactType::Integer: return "integer";
        case FactType::Number: return "number";
        case FactType::Boolean: return "boolean";
    }
    return "text";
}
