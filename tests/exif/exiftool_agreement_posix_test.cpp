// The summary of every photograph of the project, and of every camera
// photograph of the corpus, as the JSON object gives it, against what the
// peer reader exiftool reads from the same file (exiftool -n -json).
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "export/json_object.h"
#include "analyze/analyze_file.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"

namespace {

namespace fs = std::filesystem;

// The tags read from exiftool (-n: raw numbers).
const char* const kPeerTags[] = {
    "-EXIF:Make", "-EXIF:Model", "-EXIF:DateTimeOriginal", "-EXIF:ModifyDate", "-EXIF:CreateDate",
    "-EXIF:ExposureTime", "-EXIF:FNumber", "-EXIF:ISO", "-EXIF:FocalLength", "-EXIF:FocalLengthIn35mmFormat",
    "-EXIF:Flash", "-Composite:GPSLatitude", "-Composite:GPSLongitude", "-GPS:GPSAltitude", "-GPS:GPSAltitudeRef",
    "-EXIF:ThumbnailLength",
};

// A difference that comes from how this program defines the field, not from a misreading.
struct KnownDifference {
    const char* file;  // relative to the folder compared
    const char* field;  // "*": every field the peer reads
    const char* reason;
};

const char kFromShutterSpeed[] = "ExposureTime is absent; the exposure is derived from ShutterSpeedValue";
const char kFromApertureValue[] = "FNumber is absent; the aperture is derived from ApertureValue or MaxApertureValue";
const char kFromFocalPlane[] =
    "FocalLengthIn35mmFilm is absent; the 35 mm value is derived from the focal-plane resolution and ExifImageWidth/Length (scaled-down pictures give large values)";
const char kFromExposureIndex[] = "ISOSpeedRatings is absent; the ISO speed is taken from ExposureIndex";
const char kSingleDigitIsoScaled[] = "an ISOSpeedRatings of 1 to 9 is an early encoding in units of 200";

const char kRefusedNotJpeg[] = "the file does not start with a start-of-image marker and is refused; exiftool finds the EXIF block further on";
const char kRefusedNoImage[] = "an end-of-image marker before any scan ends the read with no image; exiftool reads on past it";

const KnownDifference kPhotoDifferences[] = {
    {"ii-apex-shutter-aperture.jpg", "exposure", kFromShutterSpeed},
    {"ii-apex-shutter-aperture.jpg", "aperture", kFromApertureValue},
    {"mm-apex-max-aperture.jpg", "exposure", kFromShutterSpeed},
    {"mm-apex-max-aperture.jpg", "aperture", kFromApertureValue},
    {"ii-exposure-index-grey.jpg", "iso", kFromExposureIndex},
    {"mm-iso-5.jpg", "iso", kSingleDigitIsoScaled},
    {"ii-focal-plane-inch.jpg", "focal35", kFromFocalPlane},
    {"mm-focal-plane-cm.jpg", "focal35", kFromFocalPlane},
    {"ii-focal-plane-mm.jpg", "focal35", kFromFocalPlane},
    {"mm-focal-plane-micrometre.jpg", "focal35", kFromFocalPlane},
    {"ii-focal-plane-no-unit.jpg", "focal35", kFromFocalPlane},
    {"broken/no-start-of-image.jpg", "*", kRefusedNotJpeg},
    {"broken/end-of-image-before-scan.jpg", "*", kRefusedNoImage},
};

const char kPreviewAsThumbnail[] =
    "no IFD1 thumbnail: the smallest JPEG preview (a SubIFD's, Panasonic's JpgFromRaw) is shown in its place";

const KnownDifference kContainerDifferences[] = {
    {"raw/dng-subifd-preview.dng", "thumbnail", kPreviewAsThumbnail},
    {"raw/nef-subifd-preview.nef", "thumbnail", kPreviewAsThumbnail},
    {"raw/rw2-jpeg-in-ifd0.rw2", "thumbnail", kPreviewAsThumbnail},
};

const KnownDifference kCorpusDifferences[] = {
    {"Kodak_CX7530.jpg", "iso", kFromExposureIndex},
    {"Fujifilm_FinePix_E500.jpg", "focal35", kFromFocalPlane},
    {"exif-org/canon-ixus.jpg", "focal35", kFromFocalPlane},
    {"exif-org/ricoh-rdc5300.jpg", "aperture", kFromApertureValue},
    {"exif-org/ricoh-rdc5300.jpg", "exposure", kFromShutterSpeed},
    {"exif-org/kodak-dc240.jpg", "iso", kFromExposureIndex},
    {"exif-org/fujifilm-dx10.jpg", "exposure", kFromShutterSpeed},
    {"exif-org/fujifilm-dx10.jpg", "focal35", kFromFocalPlane},
    {"exif-org/fujifilm-mx1700.jpg", "exposure", kFromShutterSpeed},
    {"exif-org/fujifilm-mx1700.jpg", "focal35", kFromFocalPlane},
    {"exif-org/sony-d700.jpg", "aperture", kFromApertureValue},
    {"exif-org/sony-d700.jpg", "exposure", kFromShutterSpeed},
    {"exif-org/fujifilm-finepix40i.jpg", "exposure", kFromShutterSpeed},
    {"exif-org/fujifilm-finepix40i.jpg", "focal35", kFromFocalPlane},
    {"Canon_PowerShot_S40.jpg", "focal35", kFromFocalPlane},
    {"tests/33-type_error.jpg", "focal35", kFromFocalPlane},
    {"tests/11-tests.jpg", "focal35", kFromFocalPlane},
    {"tests/22-canon_tags.jpg", "focal35", kFromFocalPlane},
    {"tests/28-hex_value.jpg", "focal35", kFromFocalPlane},
    {"Canon_DIGITAL_IXUS_400.jpg", "focal35", kFromFocalPlane},
    {"Fujifilm_FinePix6900ZOOM.jpg", "exposure", kFromShutterSpeed},
    {"Fujifilm_FinePix6900ZOOM.jpg", "focal35", kFromFocalPlane},
    {"Canon_40D.jpg", "focal35", kFromFocalPlane},
    {"hdr/canon_hdr_NO.jpg", "focal35", kFromFocalPlane},
    {"hdr/canon_hdr_YES.jpg", "focal35", kFromFocalPlane},
};

// A value read from either side: absent, or its text; numbers compare as numbers.
struct Value {
    bool present = false;
    bool number = false;
    std::string text;
    double value = 0;
};

using Fields = std::map<std::string, Value>;

Value TextValue(const std::string& text) { return Value{true, false, text, 0}; }
Value NumberValue(double number) { return Value{true, true, std::string(), number}; }

// A member of a JSON object as a value: strings as text, numbers as numbers.
Value MemberValue(const rapidjson::Value& object, const char* name) {
    if (!object.IsObject() || !object.HasMember(name)) return Value{};
    const rapidjson::Value& member = object[name];
    if (member.IsNumber()) return NumberValue(member.GetDouble());
    if (member.IsString()) return TextValue(member.GetString());
    if (member.IsBool()) return TextValue(member.GetBool() ? "Yes" : "No");
    return Value{};
}

// The files compared: JPEG, or the TIFF family, whose type and picture
// size are compared too.
struct FileKinds {
    std::vector<std::string> extensions;
    bool typeAndSize;
};
const FileKinds kJpegFiles = {{"jpg", "jpeg"}, false};
const FileKinds kTiffFamily = {{"tif", "dng", "cr2", "nef", "arw", "pef", "orf", "rw2", "raf"}, true};

bool HasExtension(const fs::path& path, const FileKinds& kinds) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& wanted : kinds.extensions) {
        if (extension == "." + wanted) return true;
    }
    return false;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    return output;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

// What exiftool reads, in this program's terms, for every file: one call for all of them.
std::map<std::string, Fields> ReadPeerFields(const std::string& folder, const FileKinds& kinds) {
    std::string command = "exiftool -n -json -r -charset exif=latin1 -FileType -ImageWidth -ImageHeight";
    for (const std::string& extension : kinds.extensions) command += " -ext " + extension;
    for (const char* tag : kPeerTags) command += std::string(" ") + tag;
    rapidjson::Document peer;
    peer.Parse(RunCommand(command + " '" + folder + "' 2>/dev/null").c_str());
    std::map<std::string, Fields> all;
    if (!peer.IsArray()) return all;
    for (const rapidjson::Value& file : peer.GetArray()) {
        Fields fields;
        for (const char* name : {"make", "model"}) {
            Value text = MemberValue(file, name[0] == 'm' && name[1] == 'a' ? "Make" : "Model");
            // The summary keeps 31 characters of the make and 39 of the model.
            if (text.present) text.text = TrimRight(text.text.substr(0, name[1] == 'a' ? 31 : 39));
            fields[name] = text;
        }
        // DateTimeOriginal wins; otherwise the main directory's DateTime, met before the digitized one.
        Value date = MemberValue(file, "DateTimeOriginal");
        if (!date.present) date = MemberValue(file, "ModifyDate");
        if (!date.present) date = MemberValue(file, "CreateDate");
        fields["date"] = date;
        fields["exposure"] = MemberValue(file, "ExposureTime");
        fields["aperture"] = MemberValue(file, "FNumber");
        fields["iso"] = MemberValue(file, "ISO");
        fields["focal"] = MemberValue(file, "FocalLength");
        fields["focal35"] = MemberValue(file, "FocalLengthIn35mmFormat");
        Value flash = MemberValue(file, "Flash");
        if (flash.present) flash = TextValue(static_cast<long>(flash.value) % 2 ? "Yes" : "No");
        fields["flash"] = flash;
        fields["latitude"] = MemberValue(file, "GPSLatitude");
        fields["longitude"] = MemberValue(file, "GPSLongitude");
        // The altitude is a magnitude; AltitudeRef 1 puts it below sea level.
        Value altitude = MemberValue(file, "GPSAltitude");
        if (altitude.present && MemberValue(file, "GPSAltitudeRef").value == 1) altitude.value = -altitude.value;
        fields["altitude"] = altitude;
        Value thumbnail = MemberValue(file, "ThumbnailLength");
        if (thumbnail.present && thumbnail.value == 0) thumbnail.present = false;
        fields["thumbnail"] = thumbnail;
        if (kinds.typeAndSize) {
            for (const char* name : {"FileType", "ImageWidth", "ImageHeight"}) fields[name] = MemberValue(file, name);
        }
        all[fs::relative(MemberValue(file, "SourceFile").text, folder).string()] = fields;
    }
    return all;
}

// The same fields from this program's JSON object of the file.
Fields ReadOwnFields(const std::string& path, const FileKinds& kinds) {
    ReportCapture capture;
    AnalyzeFile(capture.analysis, path.c_str());
    std::string json;
    AppendJsonObject(json, capture.analysis, path);
    rapidjson::Document own;
    own.Parse(json.c_str());
    const rapidjson::Value& summary = own.HasMember("Summary") ? own["Summary"] : own["ok"];
    Fields fields;
    fields["make"] = MemberValue(summary, "make");
    fields["model"] = MemberValue(summary, "model");
    // "YYYY-MM-DDTHH:MM:SS" as the EXIF text it came from.
    Value date = MemberValue(summary, "dateTime");
    if (date.present) date.text = date.text.substr(0, 4) + ":" + date.text.substr(5, 2) + ":" +
                                  date.text.substr(8, 2) + " " + date.text.substr(11);
    fields["date"] = date;
    fields["exposure"] = MemberValue(summary, "exposureTime");
    fields["aperture"] = MemberValue(summary, "fNumber");
    fields["iso"] = MemberValue(summary, "iso");
    fields["focal"] = MemberValue(summary, "focalLength");
    fields["focal35"] = MemberValue(summary, "focalLength35");
    fields["flash"] = MemberValue(summary, "flashFired");
    fields["latitude"] = MemberValue(summary, "gpsLatitude");
    fields["longitude"] = MemberValue(summary, "gpsLongitude");
    fields["altitude"] = MemberValue(summary, "gpsAltitude");
    fields["thumbnail"] = MemberValue(summary, "thumbnailBytes");
    if (kinds.typeAndSize) {
        fields["FileType"] = MemberValue(own["File"], "type");
        fields["ImageWidth"] = MemberValue(summary, "width");
        fields["ImageHeight"] = MemberValue(summary, "height");
    }
    return fields;
}

// The summary holds exposure, aperture and focal length as floats: equal
// to a few parts in ten million.
bool FieldAgrees(const Value& ours, const Value& peer) {
    if (ours.present != peer.present) return false;
    if (!ours.present) return true;
    if (ours.number != peer.number) return false;
    if (!ours.number) return ours.text == peer.text;
    return std::fabs(ours.value - peer.value) <= 1e-6 * std::fabs(peer.value) + 1e-9;
}

std::string Show(const Value& value) {
    if (!value.present) return "(none)";
    return value.number ? std::to_string(value.value) : "'" + value.text + "'";
}

template <size_t N>
void CompareWithExiftool(const std::string& folder, const KnownDifference (&knownDifferences)[N], size_t fewestFiles,
                         int fewestCompared, const FileKinds& kinds = kJpegFiles) {
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    std::map<std::string, Fields> peer = ReadPeerFields(folder, kinds);
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && HasExtension(entry.path(), kinds)) {
            files.push_back(fs::relative(entry.path(), folder).string());
        }
    }
    ASSERT_GE(files.size(), fewestFiles);
    ASSERT_EQ(peer.size(), files.size()) << "exiftool read a different set of files";

    std::set<std::pair<std::string, std::string>> explained;
    int compared = 0;
    int agreed = 0;
    for (const std::string& file : files) {
        Fields ours = ReadOwnFields(folder + "/" + file, kinds);
        for (const auto& field : peer[file]) {
            const Value& theirs = field.second;
            const Value& mine = ours[field.first];
            compared++;
            if (FieldAgrees(mine, theirs)) {
                agreed += theirs.present ? 1 : 0;
                continue;
            }
            const KnownDifference* known = nullptr;
            for (const KnownDifference& difference : knownDifferences) {
                const std::string listed = difference.field;
                if (file == difference.file && (listed == field.first || listed == "*")) known = &difference;
            }
            if (known != nullptr) {
                explained.insert({file, known->field});
            } else {
                ADD_FAILURE() << file << ": " << field.first << " is " << Show(mine) << ", exiftool reads "
                              << Show(theirs);
            }
        }
    }
    for (const KnownDifference& difference : knownDifferences) {
        EXPECT_TRUE(explained.count({difference.file, difference.field}))
            << difference.file << ": " << difference.field << " is listed as a known difference but agrees";
    }
    EXPECT_GT(compared, fewestCompared);
    std::printf("%s: %d values compared, %d present on both sides and equal\n", folder.c_str(), compared, agreed);
}

TEST(ExiftoolAgreement, SummaryFieldsOfEveryProjectPhotograph) {
    CompareWithExiftool(kPhotosDir, kPhotoDifferences, 30, 400);
}

// The made TIFF, DNG and RAW files: the summary, the type and the main
// picture's size.
TEST(ExiftoolAgreement, SummaryTypeAndSizeOfEveryMadeTiffAndRawFile) {
    CompareWithExiftool(kPhotosDir, kContainerDifferences, 12, 150, kTiffFamily);
}

TEST(ExiftoolAgreement, SummaryFieldsOfEveryCameraPhotograph) {
    SKIP_WITHOUT_CORPUS();
    CompareWithExiftool(kCorpusDir + "/camera", kCorpusDifferences, 51, 500);
}

}  // namespace
