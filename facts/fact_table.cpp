// The table of the summary's facts.
#include "facts/fact_table.h"

#include <cassert>
#include <utility>

namespace {

constexpr FactDefinition kFacts[] = {
    {Fact::Make, "Make", FactType::Text, "camera maker", "Make (0x010F)"},
    {Fact::Model, "Model", FactType::Text, "camera model", "Model (0x0110)"},
    {Fact::LensMake, "LensMake", FactType::Text, "lens maker", "LensMake (0xA433)"},
    {Fact::LensModel, "LensModel", FactType::Text, "lens model", "LensModel (0xA434)"},
    {Fact::SerialNumber, "SerialNumber", FactType::Text, "camera body serial number", "BodySerialNumber (0xA431)"},
    {Fact::LensSerialNumber, "LensSerialNumber", FactType::Text, "lens serial number", "LensSerialNumber (0xA435)"},
    {Fact::OwnerName, "OwnerName", FactType::Text, "camera owner", "CameraOwnerName (0xA430)"},
    {Fact::Software, "Software", FactType::Text, "software that wrote the file", "Software (0x0131)"},
    {Fact::Artist, "Artist", FactType::Text, "photographer", "Artist (0x013B)"},
    {Fact::Copyright, "Copyright", FactType::Text, "copyright notice", "Copyright (0x8298)"},
    {Fact::ImageDescription, "ImageDescription", FactType::Text, "description", "ImageDescription (0x010E)"},
    {Fact::Orientation, "Orientation", FactType::Integer, "orientation code as stored (1-8)",
     "Orientation (0x0112) of the main image"},
    {Fact::DateTimeOriginal, "DateTimeOriginal", FactType::Date, "when the picture was taken",
     "DateTimeOriginal (0x9003), SubSecTimeOriginal (0x9291), OffsetTimeOriginal (0x9011)"},
    {Fact::CreateDate, "CreateDate", FactType::Date, "when the picture was digitized",
     "DateTimeDigitized (0x9004), SubSecTimeDigitized (0x9292), OffsetTimeDigitized (0x9012)"},
    {Fact::ModifyDate, "ModifyDate", FactType::Date, "when the file was last changed by software",
     "DateTime (0x0132), SubSecTime (0x9290), OffsetTime (0x9010)"},
    {Fact::DateTaken, "dateTaken", FactType::Date, "when the picture was taken, from the first source that says",
     "DateTimeOriginal, else CreateDate, else IPTC DateCreated (2:55) and TimeCreated (2:60), else XMP "
     "exif:DateTimeOriginal or photoshop:DateCreated; never ModifyDate"},
    {Fact::ImageWidth, "ImageWidth", FactType::Integer, "width of the main picture in pixels",
     "frame header (SOFn); a TIFF file's full-size directory (NewSubfileType 0, else IFD0)"},
    {Fact::ImageHeight, "ImageHeight", FactType::Integer, "height of the main picture in pixels",
     "frame header (SOFn); a TIFF file's full-size directory (NewSubfileType 0, else IFD0)"},
    {Fact::Color, "color", FactType::Boolean, "whether the picture has three colour components",
     "frame header (SOFn)"},
    {Fact::ExposureTime, "ExposureTime", FactType::Number, "exposure time in seconds", "ExposureTime (0x829A)"},
    {Fact::FNumber, "FNumber", FactType::Number, "f-number", "FNumber (0x829D)"},
    {Fact::ApertureValue, "ApertureValue", FactType::Number, "aperture as an f-number, 2^(APEX/2)",
     "ApertureValue (0x9202)"},
    {Fact::MaxApertureValue, "MaxApertureValue", FactType::Number, "widest aperture as an f-number",
     "MaxApertureValue (0x9205)"},
    {Fact::Iso, "ISO", FactType::Integer, "ISO speed as stored", "ISOSpeedRatings (0x8827)"},
    {Fact::ExposureCompensation, "ExposureCompensation", FactType::Number, "exposure bias in EV",
     "ExposureBiasValue (0x9204)"},
    {Fact::ExposureProgram, "ExposureProgram", FactType::Integer, "exposure program code",
     "ExposureProgram (0x8822)"},
    {Fact::ExposureMode, "ExposureMode", FactType::Integer, "exposure mode code (0 auto)", "ExposureMode (0xA402)"},
    {Fact::MeteringMode, "MeteringMode", FactType::Integer, "metering mode code", "MeteringMode (0x9207)"},
    {Fact::LightSource, "LightSource", FactType::Integer, "light source code (0 unknown)", "LightSource (0x9208)"},
    {Fact::Flash, "Flash", FactType::Integer, "flash code", "Flash (0x9209)"},
    {Fact::FlashFired, "flashFired", FactType::Boolean, "whether the flash fired", "Flash (0x9209) bit 0"},
    {Fact::WhiteBalance, "WhiteBalance", FactType::Integer, "white balance code", "WhiteBalance (0xA403)"},
    {Fact::FocalLength, "FocalLength", FactType::Number, "focal length in mm", "FocalLength (0x920A)"},
    {Fact::FocalLengthIn35mmFormat, "FocalLengthIn35mmFormat", FactType::Integer,
     "35 mm equivalent focal length in mm, as the camera gives it", "FocalLengthIn35mmFilm (0xA405)"},
    {Fact::FocalLength35Computed, "focalLength35Computed", FactType::Number,
     "35 mm equivalent focal length computed from the sensor width, when that width is plausible (1-60 mm)",
     "FocalLength, FocalPlaneXResolution (0xA20E) and its unit (0xA210), ExifImageWidth/Height (0xA002/3)"},
    {Fact::DigitalZoomRatio, "DigitalZoomRatio", FactType::Number, "digital zoom ratio", "DigitalZoomRatio (0xA404)"},
    {Fact::SubjectDistance, "SubjectDistance", FactType::Number, "subject distance in metres as stored",
     "SubjectDistance (0x9206)"},
    {Fact::SubjectDistanceRange, "SubjectDistanceRange", FactType::Integer, "subject distance range code",
     "SubjectDistanceRange (0xA40C)"},
    {Fact::SceneCaptureType, "SceneCaptureType", FactType::Integer, "scene capture type code",
     "SceneCaptureType (0xA406)"},
    {Fact::GpsLatitude, "GPSLatitude", FactType::Number, "latitude in degrees, south negative",
     "GPSLatitude (2) and GPSLatitudeRef (1)"},
    {Fact::GpsLongitude, "GPSLongitude", FactType::Number, "longitude in degrees, west negative",
     "GPSLongitude (4) and GPSLongitudeRef (3)"},
    {Fact::GpsAltitude, "GPSAltitude", FactType::Number, "altitude in metres, below sea level negative",
     "GPSAltitude (6) and GPSAltitudeRef (5)"},
    {Fact::GpsDateTime, "GPSDateTime", FactType::Date, "the satellites' time, UTC",
     "GPSDateStamp (29) and GPSTimeStamp (7)"},
    {Fact::GpsSpeed, "GPSSpeed", FactType::Number, "speed, in the unit of GPSSpeedRef", "GPSSpeed (13)"},
    {Fact::GpsImgDirection, "GPSImgDirection", FactType::Number, "direction the camera faced, degrees",
     "GPSImgDirection (17)"},
    {Fact::UserComment, "UserComment", FactType::Text, "the EXIF comment, decoded by its character code",
     "UserComment (0x9286)"},
    {Fact::Comment, "Comment", FactType::Text, "the JPEG comment", "COM segment"},
    {Fact::XpComment, "XPComment", FactType::Text, "Windows comment", "XPComment (0x9C9C), UTF-16LE"},
    {Fact::XpKeywords, "XPKeywords", FactType::Text, "Windows keywords", "XPKeywords (0x9C9E), UTF-16LE"},
    {Fact::XpTitle, "XPTitle", FactType::Text, "Windows title", "XPTitle (0x9C9B), UTF-16LE"},
    {Fact::XpAuthor, "XPAuthor", FactType::Text, "Windows author", "XPAuthor (0x9C9D), UTF-16LE"},
    {Fact::XpSubject, "XPSubject", FactType::Text, "Windows subject", "XPSubject (0x9C9F), UTF-16LE"},
    {Fact::Keywords, "Keywords", FactType::TextList, "keywords, each once", "IPTC 2:25, then XMP dc:subject"},
    {Fact::CaptionAbstract, "Caption-Abstract", FactType::Text, "IPTC caption", "IPTC 2:120"},
    {Fact::ObjectName, "ObjectName", FactType::Text, "IPTC title", "IPTC 2:5"},
    {Fact::ByLine, "By-line", FactType::TextList, "IPTC creators", "IPTC 2:80"},
    {Fact::City, "City", FactType::Text, "IPTC city", "IPTC 2:90"},
    {Fact::ProvinceState, "Province-State", FactType::Text, "IPTC province or state", "IPTC 2:95"},
    {Fact::Country, "Country-PrimaryLocationName", FactType::Text, "IPTC country", "IPTC 2:101"},
    {Fact::Rating, "Rating", FactType::Number, "rating, 0-5 (-1 rejected)", "XMP xmp:Rating"},
    {Fact::Label, "Label", FactType::Text, "colour label", "XMP xmp:Label"},
    {Fact::Title, "Title", FactType::Text, "title (its x-default language)", "XMP dc:title"},
    {Fact::Description, "Description", FactType::Text, "description (its x-default language)",
     "XMP dc:description"},
    {Fact::Creator, "Creator", FactType::TextList, "creators", "XMP dc:creator"},
    {Fact::Rights, "Rights", FactType::Text, "rights (its x-default language)", "XMP dc:rights"},
    {Fact::Subject, "Subject", FactType::TextList, "keywords", "XMP dc:subject"},
    {Fact::HierarchicalSubject, "HierarchicalSubject", FactType::TextList, "keywords with their hierarchy",
     "XMP lr:hierarchicalSubject"},
    {Fact::Lens, "Lens", FactType::Text, "lens", "XMP aux:Lens"},
    {Fact::DateCreated, "DateCreated", FactType::Text, "date the picture was created, as the packet gives it",
     "XMP photoshop:DateCreated"},
    {Fact::RelativeAltitude, "RelativeAltitude", FactType::Number, "drone's height above its take-off point, m",
     "XMP drone-dji:RelativeAltitude"},
    {Fact::GimbalRollDegree, "GimbalRollDegree", FactType::Number, "gimbal roll, degrees",
     "XMP drone-dji:GimbalRollDegree"},
    {Fact::GimbalYawDegree, "GimbalYawDegree", FactType::Number, "gimbal yaw, degrees", "XMP drone-dji:GimbalYawDegree"},
    {Fact::GimbalPitchDegree, "GimbalPitchDegree", FactType::Number, "gimbal pitch, degrees",
     "XMP drone-dji:GimbalPitchDegree"},
    {Fact::FlightRollDegree, "FlightRollDegree", FactType::Number, "aircraft roll, degrees",
     "XMP drone-dji:FlightRollDegree"},
    {Fact::FlightYawDegree, "FlightYawDegree", FactType::Number, "aircraft yaw, degrees", "XMP drone-dji:FlightYawDegree"},
    {Fact::FlightPitchDegree, "FlightPitchDegree", FactType::Number, "aircraft pitch, degrees",
     "XMP drone-dji:FlightPitchDegree"},
    {Fact::IptcBytes, "iptcBytes", FactType::Integer, "size of the Photoshop/IPTC segment", "APP13 segment"},
    {Fact::XmpBytes, "xmpBytes", FactType::Integer, "size of the XMP packet with its extension",
     "APP1 XMP segment and Extended XMP, or the container's packet"},
    {Fact::ThumbnailBytes, "thumbnailBytes", FactType::Integer,
     "size of the EXIF thumbnail, else of the smallest JPEG preview the file holds",
     "JPEGInterchangeFormatLength (0x0202), else the preview's length (IFD0 or SubIFD, RAF, CR3 PRVW)"},
    {Fact::ThumbnailWidth, "thumbnailWidth", FactType::Integer, "thumbnail width in pixels",
     "the thumbnail's frame header"},
    {Fact::ThumbnailHeight, "thumbnailHeight", FactType::Integer, "thumbnail height in pixels",
     "the thumbnail's frame header"},
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

void FactValues::AddToList(Fact fact, std::string text) {
    FactValue& value = Slot(*this, fact);
    value.kind = FactValue::Kind::TextList;
    value.list.push_back(std::move(text));
}

const char* FactTypeName(FactType type) {
    switch (type) {
        case FactType::Text: return "text";
        case FactType::Date: return "date";
        case FactType::TextList: return "list";
        case FactType::Integer: return "integer";
        case FactType::Number: return "number";
        case FactType::Boolean: return "boolean";
    }
    return "text";
}
