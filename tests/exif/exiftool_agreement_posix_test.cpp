// The Summary of every photograph of the project, of files made here with
// exiftool for the cases a catalogue meets, and of every camera photograph
// of the corpus, against what the peer reader exiftool reads from the same
// file (exiftool -n -json): each key of the facts table that exiftool also
// names, read back from the JSON object and from the CSV row alike.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "analyze/analyze_file.h"
#include "export/csv_row.h"
#include "export/json_object.h"
#include "facts/date_text.h"
#include "facts/fact_table.h"
#include "support/exiftool_posix.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "support/run_command_posix.h"

namespace {

namespace fs = std::filesystem;

// A value from either side, as text or number or list of texts.
struct Value {
    bool present = false;
    bool number = false;
    double value = 0;
    std::vector<std::string> texts;  // one text, or a list's
};
using Values = std::map<std::string, Value>;  // by the table's key

Value TextValue(std::string text) { return Value{true, false, 0, {std::move(text)}}; }
Value NumberValue(double number) { return Value{true, true, number, {}}; }

Value FromJson(const rapidjson::Value& member) {
    if (member.IsNumber()) return NumberValue(member.GetDouble());
    if (member.IsString()) return TextValue(member.GetString());
    if (member.IsBool()) return TextValue(member.GetBool() ? "true" : "false");
    Value list{true, false, 0, {}};
    if (member.IsArray()) {
        for (const rapidjson::Value& item : member.GetArray()) {
            list.texts.push_back(item.IsString() ? item.GetString() : std::to_string(item.GetDouble()));
        }
    }
    return list;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

// Where exiftool keeps each key's value: the file's own tags, but for the
// GPS position (signed as a composite) and the dates (with their
// sub-seconds and offsets as composites). Its other composites are
// computed from maker notes (ISO) and are not the tag's value.
std::vector<std::string> PeerNames(const std::string& key) {
    std::vector<std::string> names;
    if (key.compare(0, 3, "GPS") == 0) names.push_back("Composite:" + key);
    if (key.find("Date") != std::string::npos) names.push_back("Composite:SubSec" + key);
    for (const char* group : {"File:", "EXIF:", "IPTC:"}) names.push_back(group + key);
    // The keys we take from XMP alone; exiftool also has XMP copies of
    // EXIF tags (CreateDate, Orientation), which the EXIF keys do not take.
    const FactDefinition* row = nullptr;
    for (size_t i = 0; i < kFactCount; i++) {
        if (key == FactRow(i).key) row = &FactRow(i);
    }
    if (row != nullptr && std::string(row->source).compare(0, 4, "XMP ") == 0) names = {"XMP:" + key};
    return names;
}

// Our own keys with an exiftool tag of another name.
const std::map<std::string, std::string> kPeerNames = {{"thumbnailBytes", "EXIF:ThumbnailLength"}};

// The file endings compared: JPEG's, the TIFF family's (the made TIFF, DNG
// and RAW files) or the other containers' (the made HEIF, AVIF, CR3, PNG and
// WebP files, but not the damaged ones beside them); of the last two, the
// File.type and File.mimeType are compared with exiftool's FileType and
// MIMEType.
const char kJpegEndings[] = "-ext jpg -ext jpeg";
const char kTiffFamilyEndings[] =
    "-ext tif -ext dng -ext cr2 -ext nef -ext nrw -ext arw -ext sr2 -ext srf -ext pef -ext orf -ext rw2 -ext raf "
    "-ext srw -ext 3fr -ext erf -ext kdc -ext dcr -ext mos -ext iiq";
const char kContainerEndings[] = "-i containers-broken -ext heic -ext heif -ext avif -ext cr3 -ext png -ext webp";

// Every file's values as exiftool reads them, by the table's keys, and its
// FileType and MIMEType under "FileType".
std::map<std::string, Values> ReadPeerValues(const std::string& folder, const char* endings = kJpegEndings) {
    const std::string command = "exiftool -n -json -G -r " + std::string(endings) +
                                " -EXIF:all -IPTC:all -XMP:all -File:all -Composite:all -PNG:all -RIFF:all '" +
                                folder + "' 2>/dev/null";
    rapidjson::Document peer;
    peer.Parse(RunCommand(command).c_str());
    std::map<std::string, Values> all;
    if (!peer.IsArray()) return all;
    for (const rapidjson::Value& file : peer.GetArray()) {
        Values values;
        for (size_t i = 0; i < kFactCount; i++) {
            const std::string key = FactRow(i).key;
            std::vector<std::string> names;
            if (kPeerNames.count(key)) names.push_back(kPeerNames.at(key));
            if (key[0] >= 'A' && key[0] <= 'Z') names = PeerNames(key);
            for (const std::string& name : names) {
                if (file.HasMember(name.c_str())) {
                    values[key] = FromJson(file[name.c_str()]);
                    break;
                }
            }
        }
        // Bit 0 of the flash code.
        if (file.HasMember("EXIF:Flash") && file["EXIF:Flash"].IsNumber()) {
            values["flashFired"] = TextValue(file["EXIF:Flash"].GetInt() % 2 ? "true" : "false");
        }
        if (file.HasMember("File:FileType") && file.HasMember("File:MIMEType")) {
            values["FileType"] = TextValue(std::string(file["File:FileType"].GetString()) + " " +
                                           file["File:MIMEType"].GetString());
        }
        // A TIFF-structured file's main picture is that of the directory
        // exiftool gives priority, or inside Panasonic's sensor borders (a
        // composite); File:ImageWidth is an embedded JPEG's (RAF's own). A
        // PNG's is in its header chunk, a WebP's in its picture's chunk.
        if (endings != kJpegEndings) {
            for (const char* key : {"ImageWidth", "ImageHeight"}) {
                for (const std::string group : {"Composite:", "PNG:", "RIFF:", "EXIF:"}) {
                    if (!file.HasMember((group + key).c_str())) continue;
                    values[key] = FromJson(file[(group + key).c_str()]);
                    break;
                }
            }
        }
        all[fs::relative(file["SourceFile"].GetString(), folder).string()] = values;
    }
    return all;
}

// "YYYY-MM-DDTHH:MM:SS..." in exiftool's "YYYY:MM:DD HH:MM:SS..." form.
std::string PeerDateForm(std::string iso) {
    if (iso.size() == 10 && iso[4] == '-' && iso[7] == '-') {
        iso[4] = ':';
        iso[7] = ':';
    }
    if (iso.size() >= 19 && iso[4] == '-' && iso[7] == '-' && iso[10] == 'T') {
        iso[4] = ':';
        iso[7] = ':';
        iso[10] = ' ';
    }
    return iso;
}

// The fields of a CSV line (RFC 4180: quoted fields, doubled quotes).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); i++) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            i++;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (!quoted && (c == '\r' || c == '\n')) {
            break;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// Our values of a file, from its JSON object's Summary or from its CSV row;
// false when we refuse the file (it is not a readable JPEG), which leaves
// nothing to compare.
bool ReadOwnValues(const std::string& path, Values* fromJson, Values* fromCsv, std::string* type = nullptr) {
    ReportCapture capture;
    AnalyzeFile(capture.analysis, path.c_str());
    std::string json;
    AppendJsonObject(json, capture.analysis, path);
    rapidjson::Document own;
    own.Parse(json.c_str());
    if (!capture.analysis.reachedSummary) return false;
    if (type != nullptr && own["File"].HasMember("type")) {
        *type = std::string(own["File"]["type"].GetString()) + " " + own["File"]["mimeType"].GetString();
    }
    std::string header;
    std::string row;
    AppendCsvHeader(header);
    AppendCsvRow(row, capture.analysis, path);
    const std::vector<std::string> names = CsvFields(header);
    const std::vector<std::string> cells = CsvFields(row);
    for (size_t i = 0; i < kFactCount; i++) {
        const FactDefinition& fact = FactRow(i);
        if (own.HasMember("Summary") && own["Summary"].HasMember(fact.key)) {
            (*fromJson)[fact.key] = FromJson(own["Summary"][fact.key]);
        }
        for (size_t column = 0; column < names.size() && column < cells.size(); column++) {
            if (names[column] != fact.key || cells[column].empty()) continue;
            const std::string& cell = cells[column];
            if (fact.type == FactType::Integer || fact.type == FactType::Number) {
                (*fromCsv)[fact.key] = NumberValue(std::strtod(cell.c_str(), nullptr));
            } else if (fact.type == FactType::TextList) {
                Value list{true, false, 0, {}};
                for (size_t from = 0;;) {
                    const size_t end = cell.find(';', from);
                    list.texts.push_back(cell.substr(from, end - from));
                    if (end == std::string::npos) break;
                    from = end + 1;
                }
                (*fromCsv)[fact.key] = list;
            } else {
                (*fromCsv)[fact.key] = TextValue(cell);
            }
        }
    }
    return true;
}

// A date text that names no real day and time is left out by design
// (with a message saying why), where exiftool passes it on. A file without
// an EXIF thumbnail has the JPEG preview its container carries as its
// thumbnail, which exiftool names a PreviewImage (the made-files test
// compares its size), not a ThumbnailLength.
bool LeftOutByDesign(const std::string& key, const Value& ours, const Value& peer) {
    if (key == "thumbnailBytes") return ours.present && !peer.present;
    std::string iso;
    std::string why;
    return key.find("Date") != std::string::npos && !ours.present && peer.texts.size() == 1 &&
           !ExifDateToIso(peer.texts[0], "", "", &iso, &why);
}

// A text that is empty once its trailing blanks and zero bytes are gone
// says nothing: exiftool lists it, we leave it out.
Value Normalised(Value value) {
    if (value.present && !value.number && value.texts.size() == 1 && TrimRight(value.texts[0]).empty()) {
        return Value{};
    }
    return value;
}

// exiftool prints a text that reads as a number ("1.00") as that number.
Value AsNumber(const Value& value) {
    if (value.number || value.texts.size() != 1) return value;
    char* end = nullptr;
    const double number = std::strtod(value.texts[0].c_str(), &end);
    return end != nullptr && *end == '\0' && !value.texts[0].empty() ? NumberValue(number) : value;
}

bool Agrees(const std::string& key, const Value& oursAsRead, const Value& peerAsRead) {
    Value ours = Normalised(oursAsRead);
    Value peer = Normalised(peerAsRead);
    if (ours.present != peer.present) return false;
    if (!ours.present) return true;
    if (ours.number != peer.number) {
        ours = AsNumber(ours);
        peer = AsNumber(peer);
    }
    if (ours.number || peer.number) {
        return ours.number && peer.number && std::fabs(ours.value - peer.value) <= 1e-6 * std::fabs(peer.value) + 1e-9;
    }
    if (ours.texts.size() != peer.texts.size()) return false;
    const bool date = FactRow(0).key != key && key.find("Date") != std::string::npos;
    for (size_t i = 0; i < ours.texts.size(); i++) {
        const std::string mine = date ? PeerDateForm(ours.texts[i]) : ours.texts[i];
        if (TrimRight(mine) != TrimRight(peer.texts[i])) return false;
    }
    return true;
}

std::string Show(const Value& value) {
    if (!value.present) return "(none)";
    if (value.number) return std::to_string(value.value);
    std::string shown;
    for (const std::string& text : value.texts) shown += "'" + text.substr(0, 60) + "' ";
    return shown;
}

struct Tally {
    int compared = 0;
    int agreed = 0;
    int typesCompared = 0;
    int typesAgreed = 0;
};

// Compares every value either side has; prints each difference.
Tally CompareFolder(const std::string& folder, const char* endings = kJpegEndings) {
    Tally tally;
    const std::map<std::string, Values> peer = ReadPeerValues(folder, endings);
    for (const auto& [file, theirs] : peer) {
        Values fromJson;
        Values fromCsv;
        std::string type;
        if (!ReadOwnValues(folder + "/" + file, &fromJson, &fromCsv, &type)) {
            std::printf("not compared: %s is refused\n", file.c_str());
            continue;
        }
        if (endings != kJpegEndings) {
            tally.typesCompared++;
            const bool same = theirs.count("FileType") && theirs.at("FileType").texts == std::vector<std::string>{type};
            tally.typesAgreed += same ? 1 : 0;
            if (!same) std::printf("differs: %s type: ours %s\n", file.c_str(), type.c_str());
        }
        for (size_t i = 0; i < kFactCount; i++) {
            const std::string key = FactRow(i).key;
            const bool named = (key[0] >= 'A' && key[0] <= 'Z') || kPeerNames.count(key) || key == "flashFired";
            if (!named) continue;
            const Value none;
            const Value& peerValue = theirs.count(key) ? theirs.at(key) : none;
            for (const Values* own : {&fromJson, &fromCsv}) {
                const Value& ourValue = own->count(key) ? own->at(key) : none;
                if (!Normalised(ourValue).present && !Normalised(peerValue).present) continue;
                if (LeftOutByDesign(key, ourValue, peerValue)) continue;
                tally.compared++;
                if (Agrees(key, ourValue, peerValue)) {
                    tally.agreed++;
                } else {
                    std::printf("differs: %s %s (%s): ours %s, exiftool %s\n", file.c_str(), key.c_str(),
                                own == &fromJson ? "JSON" : "CSV", Show(ourValue).c_str(), Show(peerValue).c_str());
                }
            }
        }
    }
    return tally;
}

void ExpectAgreement(const std::string& folder, int fewestCompared, double share) {
    SKIP_WITHOUT_EXIFTOOL();
    const Tally tally = CompareFolder(folder);
    std::printf("%s: %d of %d values agree\n", folder.c_str(), tally.agreed, tally.compared);
    EXPECT_GE(tally.compared, fewestCompared);
    EXPECT_GE(tally.agreed, share * tally.compared);
}

// Files for the cases a catalogue meets, written by exiftool into a copy
// of a photograph stripped of its metadata.
struct MadeFile {
    const char* name;
    const char* arguments;
};
const MadeFile kMadeFiles[] = {
    {"create-date-only", "-CreateDate='2021:05:12 12:21:21'"},
    {"invalid-dates", "-n -DateTimeOriginal='0000:00:00 00:00:00' -CreateDate='2008:13:45 25:61:61'"},
    {"sub-seconds-and-offset",
     "-DateTimeOriginal='2021:05:12 12:21:21' -SubSecTimeOriginal=35 -OffsetTimeOriginal=+09:00 "
     "-ModifyDate='2021:06:01 08:00:00' -OffsetTime=-05:00"},
    {"zero-values", "-ExposureCompensation=0 -ExposureMode=0 -LightSource=0 -MeteringMode=0 -Flash=0"},
    {"aperture-without-fnumber", "-ApertureValue=4 -MaxApertureValue=2.8"},
    {"long-texts", "-Make=\"$(printf 'M%.0s' $(seq 200))\" -Comment=\"$(printf 'c%.0s' $(seq 30000))\""},
    {"unicode-comment-intel", "-ExifByteOrder=II -UserComment='Grüße ☃ from Zürich'"},
    {"unicode-comment-motorola", "-ExifByteOrder=MM -UserComment='Grüße ☃ from Zürich'"},
    {"xp-tags", "-XPComment='Grüße ☃' -XPKeywords='one;two' -XPTitle=Title -XPAuthor=Ann -XPSubject=Sea"},
    {"iptc-utf8", "-charset iptc=UTF8 -IPTC:CodedCharacterSet=UTF8 -IPTC:Caption-Abstract='Grüße ☃' "
                  "-IPTC:Keywords=eins -IPTC:Keywords=zwei -IPTC:By-line=Ann -IPTC:City=Zürich"},
    {"iptc-latin1", "-charset iptc=Latin -IPTC:City=Zürich -IPTC:ObjectName=Façade -IPTC:Province-State=Genève "
                    "-IPTC:Country-PrimaryLocationName=Suisse"},
    {"gps-time-and-lens", "-GPSDateStamp=2021:05:12 -GPSTimeStamp=03:21:21.5 -GPSSpeed=12.5 "
                          "-GPSImgDirection=271.25 -LensMake=Lenser -LensModel='Lenser 35mm' -SerialNumber=A1 "
                          "-OwnerName=Ann -Artist=Ann -Copyright='(c) Ann' -ImageDescription=Sea"},
};

TEST(ExiftoolAgreement, SummaryOfEveryProjectPhotograph) { ExpectAgreement(kPhotosDir, 600, 0.99); }

TEST(ExiftoolAgreement, SummaryOfFilesForTheCatalogueCases) {
    SKIP_WITHOUT_EXIFTOOL();
    const fs::path folder = fs::temp_directory_path() / ("pixloupe-agreement-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string base = (folder / "base.jpeg").string();
    ASSERT_EQ(std::system(("exiftool -q -all= -o '" + base + "' '" + kPhotosDir + "/ii-camera-gps-north-east.jpg'")
                              .c_str()),
              0);
    for (const MadeFile& made : kMadeFiles) {
        const std::string out = (folder / (std::string(made.name) + ".jpg")).string();
        const std::string command = "exiftool -q -q -o '" + out + "' " + made.arguments + " '" + base + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << made.name;
    }
    fs::remove(base);
    ExpectAgreement(folder.string(), 60, 0.99);
    fs::remove_all(folder);
}

// Made files of other containers: 97 % of the values agree and every
// file's type is exiftool's.
void ExpectTypedAgreement(const char* label, const char* endings, int files) {
    SKIP_WITHOUT_EXIFTOOL();
    const Tally tally = CompareFolder(kPhotosDir, endings);
    std::printf("%s: %d of %d values agree, %d of %d types\n", label, tally.agreed, tally.compared,
                tally.typesAgreed, tally.typesCompared);
    EXPECT_GE(tally.compared, 200);
    EXPECT_GE(tally.agreed, 0.97 * tally.compared);
    EXPECT_EQ(tally.typesCompared, files);
    EXPECT_EQ(tally.typesAgreed, tally.typesCompared);
}

// The made TIFF, DNG and RAW files.
TEST(ExiftoolAgreement, SummaryAndTypeOfEveryMadeTiffAndRawFile) {
    ExpectTypedAgreement("TIFF and RAW files", kTiffFamilyEndings, 23);
}

// The made HEIF, AVIF, CR3, PNG and WebP files. exiftool 12.57 does not
// read the Exif item a HEIF keeps in its idat box, which we do
// (idat-exif-turned.heif).
TEST(ExiftoolAgreement, SummaryAndTypeOfEveryMadeContainerFile) {
    ExpectTypedAgreement("HEIF, AVIF, CR3, PNG and WebP files", kContainerEndings, 13);
}

TEST(ExiftoolAgreement, SummaryOfEveryCameraPhotograph) {
    SKIP_WITHOUT_CORPUS();
    ExpectAgreement(kCorpusDir + "/camera", 1500, 0.99);
}

}  // namespace
