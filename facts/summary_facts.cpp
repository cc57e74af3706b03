// The summary's facts read from the decoded data, each from its own tag.
#include "facts/summary_facts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "facts/date_text.h"
#include "facts/text_decoding.h"
#include "report/report.h"

namespace {

// The i-th component as a number; false when it has none (a rational of
// zero denominator has no value).
bool ComponentNumber(const DecodedData& data, const ExifEntryData& entry, size_t i, double* number) {
    if (i >= entry.values.count) return false;
    switch (entry.kind) {
        case ValueKind::Integers: *number = static_cast<double>(EntryIntegers(data, entry)[i]); return true;
        case ValueKind::Reals: *number = EntryReals(data, entry)[i]; return std::isfinite(*number);
        case ValueKind::Rationals: {
            const RationalValue& value = EntryRationals(data, entry)[i];
            if (value.denominator == 0) return false;
            *number = static_cast<double>(value.numerator) / static_cast<double>(value.denominator);
            return true;
        }
        default: return false;
    }
}

// An ASCII (or other byte) value up to its first zero byte, without
// trailing blanks.
std::string EntryText(const DecodedData& data, const ExifEntryData& entry) {
    const std::string bytes = EntryBytes(data, entry);
    return TrimmedRight(bytes.substr(0, bytes.find('\0')));
}

// What the facts are read from: the data and where messages go.
struct FactReader {
    const Analysis& analysis;
    const DecodedData& data;
    SummaryFacts& facts;
    // The entries by directory and tag, the first of a pair kept: some
    // sixty facts each look up a tag or two, and a camera's block has a
    // hundred entries and more. An open-addressed table, at most half full,
    // of each entry's key (high half) and position plus one (low half; 0:
    // empty): a probe reads the table alone, not the entries.
    std::vector<uint64_t> slots;
    uint32_t mask = 0;
};

uint32_t TagKey(DirectoryKind directory, uint16_t tag) { return static_cast<uint32_t>(directory) << 16 | tag; }
uint32_t TagKey(const ExifEntryData& entry) { return TagKey(entry.directory, entry.tag); }

// The slot of this key: where it is, or the empty slot where it would go.
uint32_t SlotOf(const FactReader& r, uint32_t key) {
    uint32_t slot = (key * 0x9E3779B1u) >> 7 & r.mask;
    while (r.slots[slot] != 0 && r.slots[slot] >> 32 != key) slot = (slot + 1) & r.mask;
    return slot;
}

void IndexEntries(FactReader& r) {
    const std::vector<ExifEntryData>& entries = r.data.exifEntries;
    size_t size = 64;
    while (size < 2 * entries.size()) size *= 2;
    r.slots.assign(size, 0);
    r.mask = static_cast<uint32_t>(size - 1);
    for (size_t i = 0; i < entries.size(); i++) {
        const uint32_t key = TagKey(entries[i]);
        const uint32_t slot = SlotOf(r, key);
        if (r.slots[slot] == 0) r.slots[slot] = static_cast<uint64_t>(key) << 32 | static_cast<uint32_t>(i + 1);
    }
}

// The first entry of this tag in the directory, or none.
const ExifEntryData* FindEntry(const FactReader& r, DirectoryKind directory, uint16_t tag) {
    const uint32_t slot = SlotOf(r, TagKey(directory, tag));
    return r.slots[slot] != 0 ? &r.data.exifEntries[(r.slots[slot] & 0xFFFFFFFFu) - 1] : nullptr;
}

// The main image's tags live in IFD0, or in the Exif directory it links to.
const ExifEntryData* FindMainEntry(const FactReader& r, uint16_t tag) {
    const ExifEntryData* entry = FindEntry(r, DirectoryKind::Ifd0, tag);
    return entry != nullptr ? entry : FindEntry(r, DirectoryKind::Exif, tag);
}

void SetText(FactReader& r, Fact fact, uint16_t tag) {
    const ExifEntryData* entry = FindMainEntry(r, tag);
    if (entry == nullptr || entry->kind != ValueKind::Bytes) return;
    std::string text = EntryText(r.data, *entry);
    if (!text.empty()) r.facts.summary.SetText(fact, std::move(text));
}

void SetInteger(FactReader& r, Fact fact, const ExifEntryData* entry) {
    double number = 0;
    if (entry != nullptr && ComponentNumber(r.data, *entry, 0, &number)) {
        r.facts.summary.SetInteger(fact, static_cast<int64_t>(number));
    }
}

void SetNumber(FactReader& r, Fact fact, const ExifEntryData* entry) {
    double number = 0;
    if (entry != nullptr && ComponentNumber(r.data, *entry, 0, &number)) r.facts.summary.SetNumber(fact, number);
}

// APEX aperture values as f-numbers: 2^(v/2).
void SetAperture(FactReader& r, Fact fact, uint16_t tag) {
    const ExifEntryData* entry = FindMainEntry(r, tag);
    double apex = 0;
    if (entry != nullptr && ComponentNumber(r.data, *entry, 0, &apex)) {
        r.facts.summary.SetNumber(fact, std::pow(2.0, apex / 2));
    }
}

// An EXIF date with the sub-seconds and offset of its companion tags.
void SetDate(FactReader& r, Fact fact, uint16_t dateTag, uint16_t subSecondsTag, uint16_t offsetTag,
             const char* name) {
    const ExifEntryData* entry = FindMainEntry(r, dateTag);
    if (entry == nullptr || entry->kind != ValueKind::Bytes) return;
    const std::string text = EntryText(r.data, *entry);
    if (text.empty()) return;
    std::string subSeconds;
    std::string offset;
    if (const ExifEntryData* sub = FindMainEntry(r, subSecondsTag)) subSeconds = EntryText(r.data, *sub);
    if (const ExifEntryData* zone = FindMainEntry(r, offsetTag)) offset = EntryText(r.data, *zone);
    std::string iso;
    std::string why;
    if (ExifDateToIso(text, subSeconds, offset, &iso, &why)) {
        r.facts.summary.SetText(fact, std::move(iso));
    } else {
        r.facts.warnings.push_back(FormatText("%s \"%s\" left out: %s", name, text.c_str(), why.c_str()));
    }
}

void SetCamera(FactReader& r) {
    SetText(r, Fact::Make, 0x010F);
    SetText(r, Fact::Model, 0x0110);
    SetText(r, Fact::LensMake, 0xA433);
    SetText(r, Fact::LensModel, 0xA434);
    SetText(r, Fact::SerialNumber, 0xA431);
    SetText(r, Fact::LensSerialNumber, 0xA435);
    SetText(r, Fact::OwnerName, 0xA430);
    SetText(r, Fact::Software, 0x0131);
    SetText(r, Fact::Artist, 0x013B);
    SetText(r, Fact::Copyright, 0x8298);
    SetText(r, Fact::ImageDescription, 0x010E);
    SetInteger(r, Fact::Orientation, FindEntry(r, DirectoryKind::Ifd0, 0x0112));
}

void SetDates(FactReader& r) {
    SetDate(r, Fact::DateTimeOriginal, 0x9003, 0x9291, 0x9011, "DateTimeOriginal");
    SetDate(r, Fact::CreateDate, 0x9004, 0x9292, 0x9012, "CreateDate");
    SetDate(r, Fact::ModifyDate, 0x0132, 0x9290, 0x9010, "ModifyDate");
}

void SetPicture(FactReader& r) {
    const ImageSummary& s = r.analysis.summary;
    // A file that ends before its frame header has no size to give.
    if (s.pixelWidth > 0 && s.pixelHeight > 0) {
        r.facts.summary.SetInteger(Fact::ImageWidth, s.pixelWidth);
        r.facts.summary.SetInteger(Fact::ImageHeight, s.pixelHeight);
    }
    r.facts.summary.SetBoolean(Fact::Color, s.colourImage != 0);
}

// The exposure's facts read each from one tag of the main image, as a
// number or as an integer.
struct TagFact {
    Fact fact;
    uint16_t tag;
    bool integer;
};

constexpr TagFact kExposureFacts[] = {
    {Fact::ExposureTime, 0x829A, false},         {Fact::FNumber, 0x829D, false},
    {Fact::Iso, 0x8827, true},                   {Fact::ExposureCompensation, 0x9204, false},
    {Fact::ExposureProgram, 0x8822, true},       {Fact::ExposureMode, 0xA402, true},
    {Fact::MeteringMode, 0x9207, true},          {Fact::LightSource, 0x9208, true},
    {Fact::Flash, 0x9209, true},                 {Fact::WhiteBalance, 0xA403, true},
    {Fact::FocalLength, 0x920A, false},          {Fact::FocalLengthIn35mmFormat, 0xA405, true},
    {Fact::DigitalZoomRatio, 0xA404, false},     {Fact::SubjectDistance, 0x9206, false},
    {Fact::SubjectDistanceRange, 0xA40C, true},  {Fact::SceneCaptureType, 0xA406, true},
};

void SetExposure(FactReader& r) {
    for (const TagFact& row : kExposureFacts) {
        const ExifEntryData* entry = FindMainEntry(r, row.tag);
        if (row.integer) {
            SetInteger(r, row.fact, entry);
        } else {
            SetNumber(r, row.fact, entry);
        }
    }
    SetAperture(r, Fact::ApertureValue, 0x9202);
    SetAperture(r, Fact::MaxApertureValue, 0x9205);
    const FactValue& code = r.facts.summary[Fact::Flash];
    if (code.kind == FactValue::Kind::Integer) r.facts.summary.SetBoolean(Fact::FlashFired, (code.integer & 1) != 0);
}

// A sensor narrower than a millimetre or wider than medium format's 60 mm
// is not a camera's: the resolution tags were written for a resized
// picture, or wrongly, and the equivalent they imply means nothing.
constexpr double kNarrowestSensorMm = 1;
constexpr double kWidestSensorMm = 60;
constexpr double kFullFrameWidthMm = 36;

void SetComputedFocalLength35(FactReader& r) {
    const ImageSummary& s = r.analysis.summary;
    const FactValue& focal = r.facts.summary[Fact::FocalLength];
    const double sensor = s.sensorWidthMm;
    if (focal.kind != FactValue::Kind::Number || !(sensor >= kNarrowestSensorMm && sensor <= kWidestSensorMm)) return;
    r.facts.summary.SetNumber(Fact::FocalLength35Computed, focal.number / sensor * kFullFrameWidthMm);
}

// Degrees, minutes and seconds as one signed number of degrees.
void SetCoordinate(FactReader& r, Fact fact, uint16_t valueTag, uint16_t refTag, char negative) {
    const ExifEntryData* entry = FindEntry(r, DirectoryKind::Gps, valueTag);
    if (entry == nullptr) return;
    double degrees = 0;
    double part = 0;
    double unit = 1;
    for (size_t i = 0; i < 3 && i < entry->values.count; i++, unit *= 60) {
        if (!ComponentNumber(r.data, *entry, i, &part)) return;
        degrees += part / unit;
    }
    if (const ExifEntryData* ref = FindEntry(r, DirectoryKind::Gps, refTag)) {
        const std::string side = EntryText(r.data, *ref);
        if (!side.empty() && side[0] == negative) degrees = -degrees;
    }
    r.facts.summary.SetNumber(fact, degrees);
}

void SetGpsTime(FactReader& r) {
    const ExifEntryData* dateEntry = FindEntry(r, DirectoryKind::Gps, 29);
    const ExifEntryData* timeEntry = FindEntry(r, DirectoryKind::Gps, 7);
    if (dateEntry == nullptr || timeEntry == nullptr || timeEntry->values.count < 3) return;
    double parts[3] = {0, 0, 0};
    for (size_t i = 0; i < 3; i++) {
        if (!ComponentNumber(r.data, *timeEntry, i, &parts[i])) return;
    }
    const std::string date = EntryText(r.data, *dateEntry);
    std::string iso;
    std::string why;
    if (GpsDateTimeToIso(date, parts, &iso, &why)) {
        r.facts.summary.SetText(Fact::GpsDateTime, std::move(iso));
    } else {
        r.facts.warnings.push_back(FormatText("GPSDateTime \"%s\" left out: %s", date.c_str(), why.c_str()));
    }
}

void SetPlace(FactReader& r) {
    SetCoordinate(r, Fact::GpsLatitude, 2, 1, 'S');
    SetCoordinate(r, Fact::GpsLongitude, 4, 3, 'W');
    if (const ExifEntryData* altitude = FindEntry(r, DirectoryKind::Gps, 6)) {
        double metres = 0;
        if (ComponentNumber(r.data, *altitude, 0, &metres)) {
            double ref = 0;
            const ExifEntryData* below = FindEntry(r, DirectoryKind::Gps, 5);
            if (below != nullptr && below->kind == ValueKind::Integers && ComponentNumber(r.data, *below, 0, &ref) &&
                ref == 1) {
                metres = -metres;
            } else if (below != nullptr && below->kind == ValueKind::Bytes) {
                // Writers that store the reference as text keep the number in its first byte.
                const std::string bytes = EntryBytes(r.data, *below);
                if (!bytes.empty() && bytes[0] == 1) metres = -metres;
            }
            r.facts.summary.SetNumber(Fact::GpsAltitude, metres);
        }
    }
    SetGpsTime(r);
    SetNumber(r, Fact::GpsSpeed, FindEntry(r, DirectoryKind::Gps, 13));
    SetNumber(r, Fact::GpsImgDirection, FindEntry(r, DirectoryKind::Gps, 17));
}

void SetXpText(FactReader& r, Fact fact, uint16_t tag) {
    const ExifEntryData* entry = FindEntry(r, DirectoryKind::Ifd0, tag);
    if (entry == nullptr) return;
    std::string bytes;
    if (entry->kind == ValueKind::Bytes) {
        bytes = EntryBytes(r.data, *entry);
    } else if (entry->kind == ValueKind::Integers) {
        // Stored as BYTE: each component one byte of UTF-16LE.
        const int64_t* values = EntryIntegers(r.data, *entry);
        for (size_t i = 0; i < entry->values.count; i++) bytes += static_cast<char>(values[i]);
    }
    std::string text = TrimmedRight(Utf16ToUtf8(bytes, false));
    if (!text.empty()) r.facts.summary.SetText(fact, std::move(text));
}

void SetComments(FactReader& r) {
    if (const ExifEntryData* entry = FindMainEntry(r, 0x9286)) {
        if (entry->kind == ValueKind::Bytes) {
            std::string text = UserCommentText(EntryBytes(r.data, *entry), r.analysis.summary.bigEndian != 0);
            if (!text.empty()) r.facts.summary.SetText(Fact::UserComment, std::move(text));
        }
    }
    if (r.data.hasComment) {
        std::string text = TrimmedRight(r.data.comment);
        if (!text.empty()) r.facts.summary.SetText(Fact::Comment, std::move(text));
    }
    SetXpText(r, Fact::XpComment, 0x9C9C);
    SetXpText(r, Fact::XpKeywords, 0x9C9E);
    SetXpText(r, Fact::XpTitle, 0x9C9B);
    SetXpText(r, Fact::XpAuthor, 0x9C9D);
    SetXpText(r, Fact::XpSubject, 0x9C9F);
}

// IPTC text is UTF-8 when dataset 1:90 names it (ESC % G), else Latin-1.
bool IptcIsUtf8(const DecodedData& data) {
    for (const IptcDatasetData& dataset : data.iptcDatasets) {
        if (dataset.record == 1 && dataset.dataset == 90) return dataset.value.find("\x1B%G") != std::string::npos;
    }
    return false;
}

const char* IptcDatasetText(const DecodedData& data, int number) {
    for (const IptcDatasetData& dataset : data.iptcDatasets) {
        if (dataset.record == 2 && dataset.dataset == number) return dataset.value.c_str();
    }
    return nullptr;
}

void SetIptc(FactReader& r) {
    const bool utf8 = IptcIsUtf8(r.data);
    auto decoded = [utf8](const std::string& bytes) {
        return TrimmedRight(utf8 ? bytes : Latin1ToUtf8(bytes));
    };
    struct IptcFact {
        int dataset;
        Fact fact;
    };
    const IptcFact kIptcFacts[] = {
        {25, Fact::Keywords}, {120, Fact::CaptionAbstract}, {5, Fact::ObjectName}, {80, Fact::ByLine},
        {90, Fact::City},     {95, Fact::ProvinceState},    {101, Fact::Country},
    };
    for (const IptcDatasetData& dataset : r.data.iptcDatasets) {
        if (dataset.record != 2) continue;
        for (const IptcFact& wanted : kIptcFacts) {
            if (wanted.dataset != dataset.dataset) continue;
            if (FactRow(wanted.fact).type == FactType::TextList) {
                r.facts.summary.AddToList(wanted.fact, decoded(dataset.value));
            } else {
                // A dataset that may occur once: the last one stands, as
                // in a file edited by appending.
                r.facts.summary.SetText(wanted.fact, decoded(dataset.value));
            }
        }
    }
}

// The namespaces of the XMP properties the summary takes.
constexpr char kXmpBasic[] = "http://ns.adobe.com/xap/1.0/";
constexpr char kDublinCore[] = "http://purl.org/dc/elements/1.1/";
constexpr char kLightroom[] = "http://ns.adobe.com/lightroom/1.0/";
constexpr char kExifAux[] = "http://ns.adobe.com/exif/1.0/aux/";
constexpr char kPhotoshop[] = "http://ns.adobe.com/photoshop/1.0/";
constexpr char kExifXmp[] = "http://ns.adobe.com/exif/1.0/";
constexpr char kDroneDji[] = "http://www.dji.com/drone-dji/1.0/";

void SetXmpText(FactReader& r, Fact fact, const char* space, const char* name) {
    const std::string* value = FirstXmpValue(r.data, space, name);
    if (value != nullptr && !value->empty()) r.facts.summary.SetText(fact, *value);
}

void SetXmpList(FactReader& r, Fact fact, const char* space, const char* name) {
    for (std::string& value : XmpValues(r.data, space, name)) r.facts.summary.AddToList(fact, std::move(value));
}

// A number the packet holds as text ("+12.30", "-90.0"); absent when the
// text is not one.
void SetXmpNumber(FactReader& r, Fact fact, const char* space, const char* name) {
    const std::string* value = FirstXmpValue(r.data, space, name);
    if (value == nullptr || value->empty()) return;
    char* end = nullptr;
    const double number = std::strtod(value->c_str(), &end);
    if (end != nullptr && *end == '\0' && std::isfinite(number)) r.facts.summary.SetNumber(fact, number);
}

void SetXmp(FactReader& r) {
    SetXmpNumber(r, Fact::Rating, kXmpBasic, "Rating");
    SetXmpText(r, Fact::Label, kXmpBasic, "Label");
    SetXmpText(r, Fact::Title, kDublinCore, "title");
    SetXmpText(r, Fact::Description, kDublinCore, "description");
    SetXmpList(r, Fact::Creator, kDublinCore, "creator");
    SetXmpText(r, Fact::Rights, kDublinCore, "rights");
    SetXmpList(r, Fact::Subject, kDublinCore, "subject");
    SetXmpList(r, Fact::HierarchicalSubject, kLightroom, "hierarchicalSubject");
    SetXmpText(r, Fact::Lens, kExifAux, "Lens");
    SetXmpText(r, Fact::DateCreated, kPhotoshop, "DateCreated");
    SetXmpNumber(r, Fact::RelativeAltitude, kDroneDji, "RelativeAltitude");
    SetXmpNumber(r, Fact::GimbalRollDegree, kDroneDji, "GimbalRollDegree");
    SetXmpNumber(r, Fact::GimbalYawDegree, kDroneDji, "GimbalYawDegree");
    SetXmpNumber(r, Fact::GimbalPitchDegree, kDroneDji, "GimbalPitchDegree");
    SetXmpNumber(r, Fact::FlightRollDegree, kDroneDji, "FlightRollDegree");
    SetXmpNumber(r, Fact::FlightYawDegree, kDroneDji, "FlightYawDegree");
    SetXmpNumber(r, Fact::FlightPitchDegree, kDroneDji, "FlightPitchDegree");
    // Keywords: IPTC's, then XMP's subjects not already among them.
    for (const std::string& subject : r.facts.summary[Fact::Subject].list) {
        const std::vector<std::string>& keywords = r.facts.summary[Fact::Keywords].list;
        bool known = false;
        for (const std::string& keyword : keywords) known = known || keyword == subject;
        if (!known) r.facts.summary.AddToList(Fact::Keywords, subject);
    }
}

// An XMP date ("2021-05-12T12:21:21.35+09:00", or only its first parts)
// when it names a real day: its own ISO form.
bool XmpDateTaken(FactReader& r, const char* space, const char* name) {
    const std::string* value = FirstXmpValue(r.data, space, name);
    if (value == nullptr || value->size() < 10 || (*value)[4] != '-' || (*value)[7] != '-') return false;
    const bool withTime = value->size() >= 19 && (*value)[10] == 'T';
    std::string exifForm = value->substr(0, 10) + " " + (withTime ? value->substr(11, 8) : "00:00:00");
    exifForm[4] = ':';
    exifForm[7] = ':';
    // The rest: sub-seconds, then an offset ("+09:00") or Z.
    std::string subSeconds;
    std::string offset;
    if (withTime) {
        size_t at = 19;
        if (at < value->size() && (*value)[at] == '.') {
            const size_t digits = value->find_first_not_of("0123456789", at + 1);
            subSeconds = value->substr(at + 1, (digits == std::string::npos ? value->size() : digits) - at - 1);
            at = digits == std::string::npos ? value->size() : digits;
        }
        offset = value->substr(at);
        if (!offset.empty() && offset != "Z" && offset.size() != 6) return false;
    }
    std::string iso;
    std::string why;
    if (!ExifDateToIso(exifForm, subSeconds, offset == "Z" ? "" : offset, &iso, &why)) return false;
    if (offset == "Z") iso += "Z";
    r.facts.summary.SetText(Fact::DateTaken, withTime ? iso : iso.substr(0, 10));
    return true;
}

// The first date that says when the picture was taken; never the
// modify date, which says when software last wrote the file.
void SetDateTaken(FactReader& r) {
    for (Fact source : {Fact::DateTimeOriginal, Fact::CreateDate}) {
        const FactValue& value = r.facts.summary[source];
        if (value.kind == FactValue::Kind::Text) {
            r.facts.summary.SetText(Fact::DateTaken, value.text);
            return;
        }
    }
    const char* date = IptcDatasetText(r.data, 55);
    if (date == nullptr) {
        if (!XmpDateTaken(r, kExifXmp, "DateTimeOriginal")) XmpDateTaken(r, kPhotoshop, "DateCreated");
        return;
    }
    const char* time = IptcDatasetText(r.data, 60);
    std::string iso;
    std::string why;
    if (IptcDateToIso(date, time != nullptr ? time : "", &iso, &why)) {
        r.facts.summary.SetText(Fact::DateTaken, std::move(iso));
    } else {
        r.facts.warnings.push_back(FormatText("IPTC DateCreated \"%s\" left out: %s", date, why.c_str()));
    }
}

void SetSections(FactReader& r) {
    const ImageSummary& s = r.analysis.summary;
    if (s.iptcBytes > 0) r.facts.summary.SetInteger(Fact::IptcBytes, s.iptcBytes);
    // The packet with its Extended XMP when it was parsed, else the segment.
    if (r.data.xmpBytes > 0) {
        r.facts.summary.SetInteger(Fact::XmpBytes, r.data.xmpBytes);
    } else if (s.xmpBytes > 0) {
        r.facts.summary.SetInteger(Fact::XmpBytes, s.xmpBytes);
    }
    if (s.thumbnailBytes > 0) r.facts.summary.SetInteger(Fact::ThumbnailBytes, s.thumbnailBytes);
    if (s.thumbnailPixelWidth > 0 && s.thumbnailPixelHeight > 0) {
        r.facts.summary.SetInteger(Fact::ThumbnailWidth, s.thumbnailPixelWidth);
        r.facts.summary.SetInteger(Fact::ThumbnailHeight, s.thumbnailPixelHeight);
    }
    if (r.data.thumbnailUndecodable) r.facts.warnings.push_back("the EXIF thumbnail does not decode");
}

}  // namespace

SummaryFacts SummaryFactsOf(const Analysis& analysis) {
    const ImageSummary& s = analysis.summary;
    SummaryFacts facts;
    if (s.fileLengthKnown) facts.fileSize = s.fileLength;
    if (s.modifiedTimeKnown) facts.fileModified = FileTimeToIsoUtc(s.modifiedTime);
    FactReader reader{analysis, analysis.decoded, facts, {}, 0};
    IndexEntries(reader);
    SetCamera(reader);
    SetDates(reader);
    SetPicture(reader);
    SetExposure(reader);
    SetComputedFocalLength35(reader);
    SetPlace(reader);
    SetComments(reader);
    SetIptc(reader);
    SetXmp(reader);
    SetDateTaken(reader);
    SetSections(reader);
    return facts;
}
