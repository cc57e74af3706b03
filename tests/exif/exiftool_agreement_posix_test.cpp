// The summary of every photograph of the project, and of every camera
// photograph of the corpus, against what the peer reader exiftool reads from
// the same file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "jpeg/analyze_file.h"
#include "report/report.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "thumbnail/thumbnail.h"

namespace {

namespace fs = std::filesystem;

// The fields compared, with the exiftool tag each one is read from (-n: raw numbers).
const char* const kPeerTags[] = {
    "-Directory", "-FileName", "-EXIF:Make", "-EXIF:Model", "-EXIF:DateTimeOriginal", "-EXIF:ModifyDate",
    "-EXIF:CreateDate", "-EXIF:ExposureTime", "-EXIF:FNumber", "-EXIF:ISO", "-EXIF:FocalLength",
    "-EXIF:FocalLengthIn35mmFormat", "-EXIF:Flash", "-Composite:GPSLatitude", "-Composite:GPSLongitude",
    "-GPS:GPSAltitude", "-GPS:GPSAltitudeRef", "-EXIF:ThumbnailLength",
};
enum PeerColumn {
    kDirectory, kFileName, kMake, kModel, kDateOriginal, kModifyDate, kCreateDate, kExposure, kFNumber, kIso,
    kFocalLength, kFocal35, kFlash, kLatitude, kLongitude, kAltitude, kAltitudeRef, kThumbnailLength, kColumnCount
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
const char kBlankAltitude[] = "AltitudeRef without Altitude leaves the altitude text a single blank, which is printed";

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
    {"mm-altitude-ref-without-altitude.jpg", "altitude", kBlankAltitude},
    {"broken/no-start-of-image.jpg", "*", kRefusedNotJpeg},
    {"broken/end-of-image-before-scan.jpg", "*", kRefusedNoImage},
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
    {"gps/DSCN0029.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0038.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0042.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0040.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0025.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0027.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0010.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0012.jpg", "altitude", kBlankAltitude},
    {"gps/DSCN0021.jpg", "altitude", kBlankAltitude},
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

struct Value {
    bool present = false;
    std::string text;
};

using Fields = std::map<std::string, Value>;

bool IsJpegName(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".jpg" || extension == ".jpeg";
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

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

Value PeerValue(const std::vector<std::string>& columns, int column) {
    Value value;
    if (columns[column] != "-" && !columns[column].empty()) {
        value.present = true;
        value.text = columns[column];
    }
    return value;
}

// What exiftool reads, in this program's terms, for every file: one call for all of them.
std::map<std::string, Fields> ReadPeerFields(const std::string& folder) {
    std::string command = "exiftool -n -T -r -ext jpg -ext jpeg -charset exif=latin1";
    for (const char* tag : kPeerTags) command += std::string(" ") + tag;
    command += " '" + folder + "' 2>/dev/null";
    std::map<std::string, Fields> all;
    std::istringstream lines(RunCommand(command));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> columns = SplitTabs(line);
        if (columns.size() != kColumnCount) continue;
        std::string relative = fs::relative(fs::path(columns[kDirectory]) / columns[kFileName], folder).string();
        Fields fields;
        Value make = PeerValue(columns, kMake);
        make.text = TrimRight(make.text.substr(0, 31));
        fields["make"] = make;
        Value model = PeerValue(columns, kModel);
        model.text = TrimRight(model.text.substr(0, 39));
        fields["model"] = model;
        // DateTimeOriginal wins; otherwise the main directory's DateTime, met before the digitized one.
        Value date = PeerValue(columns, kDateOriginal);
        if (!date.present) date = PeerValue(columns, kModifyDate);
        if (!date.present) date = PeerValue(columns, kCreateDate);
        fields["date"] = date;
        fields["exposure"] = PeerValue(columns, kExposure);
        fields["aperture"] = PeerValue(columns, kFNumber);
        fields["iso"] = PeerValue(columns, kIso);
        fields["focal"] = PeerValue(columns, kFocalLength);
        fields["focal35"] = PeerValue(columns, kFocal35);
        Value flash = PeerValue(columns, kFlash);
        if (flash.present) flash.text = std::atoi(flash.text.c_str()) % 2 ? "Yes" : "No";
        fields["flash"] = flash;
        fields["latitude"] = PeerValue(columns, kLatitude);
        fields["longitude"] = PeerValue(columns, kLongitude);
        // The altitude is a magnitude; AltitudeRef 1 puts it below sea level.
        Value altitude = PeerValue(columns, kAltitude);
        if (altitude.present && PeerValue(columns, kAltitudeRef).text == "1") altitude.text = "-" + altitude.text;
        fields["altitude"] = altitude;
        Value thumbnail = PeerValue(columns, kThumbnailLength);
        if (thumbnail.present && std::atol(thumbnail.text.c_str()) == 0) thumbnail.present = false;
        fields["thumbnail"] = thumbnail;
        all[relative] = fields;
    }
    return all;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// Half a unit of the last printed decimal of a number at the start of text.
double PrintedTolerance(const std::string& number) {
    size_t point = number.find('.');
    if (point == std::string::npos) return 0.5;
    size_t decimals = 0;
    while (point + 1 + decimals < number.size() && std::isdigit(static_cast<unsigned char>(number[point + 1 + decimals]))) {
        decimals++;
    }
    return 0.5 * std::pow(10.0, -static_cast<double>(decimals));
}

// "N ?  43d 28m 5.67s" as signed degrees with the tolerance of its printing.
bool ParseCoordinate(const std::string& text, double* degrees, double* tolerance) {
    size_t start = text.find("  ");
    if (text.empty() || start == std::string::npos) return false;
    std::istringstream in(text.substr(start));
    std::string parts[3];
    in >> parts[0] >> parts[1] >> parts[2];
    const double scale[3] = {1, 60, 3600};
    *degrees = 0;
    *tolerance = 0;
    for (int i = 0; i < 3; i++) {
        if (parts[i].size() < 2) return false;
        std::string number = parts[i].substr(0, parts[i].size() - 1);
        *degrees += std::atof(number.c_str()) / scale[i];
        *tolerance += PrintedTolerance(number) / scale[i];
    }
    if (text[0] == 'S' || text[0] == 'W') *degrees = -*degrees;
    return true;
}

// The fields as this program's summary pane prints them.
Fields ReadOwnFields(const std::string& path) {
    ReportCapture capture;
    AnalyzeFile(capture.analysis, path.c_str());
    Fields fields;
    auto set = [&fields](const char* name, const std::string& text) { fields[name] = Value{true, text}; };
    for (const std::string& line : capture.Lines(ReportPane::Jpeg)) {
        const std::string value = line.size() > 15 ? line.substr(15) : std::string();
        if (StartsWith(line, "Camera make  : ")) set("make", TrimRight(value));
        if (StartsWith(line, "Camera model : ")) set("model", TrimRight(value));
        if (StartsWith(line, "Date time    : ")) set("date", value);
        if (StartsWith(line, "Exposure time: ")) set("exposure", value.substr(0, value.find(' ')));
        if (StartsWith(line, "Aperture     : f/")) set("aperture", value.substr(2));
        if (StartsWith(line, "ISO equiv.   : ")) set("iso", value);
        if (StartsWith(line, "Focal length : ")) {
            set("focal", value.substr(0, value.find("mm")));
            size_t equivalent = value.find("equivalent: ");
            if (equivalent != std::string::npos) set("focal35", value.substr(equivalent + 12, value.find("mm)") - equivalent - 12));
        }
        if (StartsWith(line, "Flash used   : ")) set("flash", value.substr(0, StartsWith(value, "Yes") ? 3 : 2));
        if (StartsWith(line, "GPS latitude : ")) set("latitude", value);
        if (StartsWith(line, "GPS longitude: ")) set("longitude", value);
        if (StartsWith(line, "GPS altitude : ")) set("altitude", value.substr(0, value.find('m')));
        if (StartsWith(line, "Thumbnailsize: ")) set("thumbnail", value);
    }
    return fields;
}

bool NumbersAgree(const std::string& ours, const std::string& peer) {
    if (ours.empty()) return false;
    double tolerance = PrintedTolerance(ours) + 1e-6 * std::fabs(std::atof(peer.c_str()));
    return std::fabs(std::atof(ours.c_str()) - std::atof(peer.c_str())) <= tolerance;
}

bool FieldAgrees(const std::string& field, const Value& ours, const Value& peer) {
    if (field == "latitude" || field == "longitude") {
        double degrees = 0;
        double tolerance = 0;
        bool parsed = ours.present && ParseCoordinate(ours.text, &degrees, &tolerance);
        if (!peer.present) return !parsed;
        return parsed && std::fabs(degrees - std::atof(peer.text.c_str())) <= tolerance + 1e-6;
    }
    if (ours.present != peer.present) return false;
    if (!ours.present) return true;
    static const std::set<std::string> kNumbers = {"exposure", "aperture", "iso", "focal",
                                                   "focal35", "altitude", "thumbnail"};
    if (kNumbers.count(field)) return NumbersAgree(ours.text, peer.text);
    return ours.text == peer.text;
}

std::string Show(const Value& value) { return value.present ? "'" + value.text + "'" : "(none)"; }

template <size_t N>
void CompareWithExiftool(const std::string& folder, const KnownDifference (&knownDifferences)[N], size_t fewestFiles,
                         int fewestCompared) {
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    std::map<std::string, Fields> peer = ReadPeerFields(folder);
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && IsJpegName(entry.path())) {
            files.push_back(fs::relative(entry.path(), folder).string());
        }
    }
    ASSERT_GE(files.size(), fewestFiles);
    ASSERT_EQ(peer.size(), files.size()) << "exiftool read a different set of files";

    std::set<std::pair<std::string, std::string>> explained;
    int compared = 0;
    for (const std::string& file : files) {
        Fields ours = ReadOwnFields(folder + "/" + file);
        for (const auto& field : peer[file]) {
            const Value& theirs = field.second;
            const Value& mine = ours[field.first];
            compared++;
            if (FieldAgrees(field.first, mine, theirs)) continue;
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
}

TEST(ExiftoolAgreement, SummaryFieldsOfEveryProjectPhotograph) {
    CompareWithExiftool(kPhotosDir, kPhotoDifferences, 30, 400);
}

TEST(ExiftoolAgreement, SummaryFieldsOfEveryCameraPhotograph) {
    SKIP_WITHOUT_CORPUS();
    CompareWithExiftool(kCorpusDir + "/camera", kCorpusDifferences, 51, 500);
}

}  // namespace
