// Every XMP property exiftool reads (exiftool -n -json -xmp:all -G1) from
// the XMP photographs (tests/xmp/photos) and from the corpus's files,
// against the properties parsed here, written as their JSON object.
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
#include "support/photo_folders.h"
#include "support/report_capture.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

const std::string kXmpPhotosDir = std::string(PIXLOUPE_SOURCE_DIR) + "/tests/xmp/photos";

// exiftool's group names for namespaces whose usual prefix it does not use.
const std::map<std::string, std::string> kGroupOfNamespace = {
    {"http://iptc.org/std/Iptc4xmpExt/2008-02-29/", "iptcExt"},
    {"http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/", "iptcCore"},
    {"http://ns.adobe.com/xap/1.0/", "xmp"},
    {"http://ns.adobe.com/xap/1.0/mm/", "xmpMM"},
    {"http://ns.adobe.com/xap/1.0/rights/", "xmpRights"},
    {"http://ns.microsoft.com/photo/1.0", "microsoft"},
    {"http://ns.microsoft.com/photo/1.0/", "microsoft"},
};

// Top properties exiftool's tables name otherwise than the packet does
// (lower case, as compared).
const std::map<std::string, std::string> kRenamed = {
    {"x:xmptoolkit", "x:xmptk"},
    {"exif:exifimagewidth", "exif:pixelxdimension"},
    {"exif:exifimageheight", "exif:pixelydimension"},
    {"exif:iso", "exif:isospeedratings"},
    {"exif:exposurecompensation", "exif:exposurebiasvalue"},
    {"exif:focallengthin35mmformat", "exif:focallengthin35mmfilm"},
    {"exif:createdate", "exif:datetimedigitized"},
    {"exif:gpsdatetime", "exif:gpstimestamp"},
    {"tiff:imageheight", "tiff:imagelength"},
    {"tiff:modifydate", "tiff:datetime"},
    {"exifEX:serialnumber", "exifEX:bodyserialnumber"},
    {"exifEX:lensinfo", "exifEX:lensspecification"},
    {"photoshop:iccprofilename", "photoshop:iccprofile"},
    {"dwc:dcevent", "dwc:event"},
    {"crs:colortemperature", "crs:temperature"},
    {"mwg-rs:regioninfo", "mwg-rs:regions"},
    {"microsoft:ratingpercent", "microsoft:rating"},
    {"GImage:imagedata", "GImage:data"},
    {"GImage:imagemimetype", "GImage:mime"},
    {"GDepth:depthimage", "GDepth:data"},
};

// Where exiftool reads a file's packet otherwise, with the reason; "*" for every property.
struct KnownDifference {
    const char* file;
    const char* key;
    const char* reason;
};

const KnownDifference kKnownDifferences[] = {
    {"exiv2-bug1026.jpg", "*",
     "the packet is not well-formed XML (an element named exif:TIFF/EPStandardID): the data keeps what precedes the "
     "error, exiftool's own reader reads past it"},
    {"exiv2-bug1229.jpg", "*",
     "two standard XMP segments: the panes and the data read the first, exiftool lets the second override"},
    {"exiv2-bug884c.jpg", "tiff:imagelength", "exiftool adds an ImageHeight of its own beside tiff:ImageWidth"},
    {"exiv2-bug937.jpg", "microsoft:rating",
     "two namespaces (with and without a final '/'): exiftool takes them as one, the data keeps both"},
};

const char* KnownReason(const std::string& path, const std::string& key) {
    const std::string file = fs::path(path).filename().string();
    for (const KnownDifference& known : kKnownDifferences) {
        if (file == known.file && (key == known.key || std::string(known.key) == "*")) return known.reason;
    }
    return nullptr;
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

// A JSON value as texts: an array's items, or the one value. Numbers are
// read as the text exiftool wrote.
Texts TextsOf(const rapidjson::Value& value) {
    Texts texts;
    if (value.IsArray()) {
        for (const rapidjson::Value& item : value.GetArray()) {
            const Texts more = TextsOf(item);
            texts.insert(texts.end(), more.begin(), more.end());
        }
    } else if (value.IsString()) {
        texts.push_back(value.GetString());
    } else if (value.IsBool()) {
        texts.push_back(value.GetBool() ? "True" : "False");
    } else if (value.IsNumber()) {
        texts.push_back(std::to_string(value.GetDouble()));
    }
    return texts;
}

// A rational "a/b" as exiftool prints its value ("undef" for b = 0);
// words of several, one by one.
std::string RationalsAsNumbers(const std::string& text) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        char* slash = nullptr;
        const double numerator = std::strtod(word.c_str(), &slash);
        char* last = nullptr;
        const double denominator = *slash == '/' ? std::strtod(slash + 1, &last) : 0;
        if (!out.empty()) out += ' ';
        if (*slash == '/' && *last == '\0') {
            char number[40];
            std::snprintf(number, sizeof number, "%.15g", numerator / denominator);
            out += denominator != 0 ? number : "undef";
        } else {
            out += word;
        }
        start = end + 1;
    }
    return out;
}

std::string Joined(const Texts& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : " ") + RationalsAsNumbers(text);
    return joined;
}

// exiftool converts some values even with -n: XMP dates to "YYYY:MM:DD
// hh:mm:ss", rationals to numbers, APEX values to seconds and f-numbers.
std::string AsPeerWrites(const std::string& key, const std::string& own, const std::string& peer) {
    if (own == peer) return own;
    const double peerNumber = std::strtod(peer.c_str(), nullptr);
    double converted = std::strtod(RationalsAsNumbers(own).c_str(), nullptr);
    if (key == "exif:shutterspeedvalue") converted = std::pow(2.0, -converted);
    if (key == "exif:aperturevalue" || key == "exif:maxaperturevalue") converted = std::pow(2.0, converted / 2);
    if (converted != 0 && std::fabs(converted - peerNumber) <= 1e-6 * std::fabs(peerNumber)) return peer;
    if (RationalsAsNumbers(own) == peer) return peer;
    if (own.size() >= 7 && own[4] == '-') {
        std::string date = own;
        for (size_t i = 0; i < date.size() && i < 10; i++) {
            if (date[i] == '-') date[i] = ':';
        }
        if (date.size() > 10 && date[10] == 'T') date[10] = ' ';
        return date;
    }
    return own;
}

using Flat = std::map<std::string, Texts>;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// exiftool's structures (-struct) as paths "group:top/field": a list of
// structures gives each field's values in item order, as flattened here.
void FlattenPeer(const std::string& path, const rapidjson::Value& value, Flat& flat) {
    if (value.IsObject()) {
        for (const auto& member : value.GetObject()) {
            FlattenPeer(path + "/" + Lower(member.name.GetString()), member.value, flat);
        }
        return;
    }
    if (value.IsArray()) {
        for (const rapidjson::Value& item : value.GetArray()) FlattenPeer(path, item, flat);
        return;
    }
    const Texts texts = TextsOf(value);
    flat[path].insert(flat[path].end(), texts.begin(), texts.end());
}

Flat PeerFlat(const rapidjson::Value& file) {
    Flat flat;
    for (const auto& member : file.GetObject()) {
        const std::string key = member.name.GetString();
        if (key.rfind("XMP-", 0) != 0) continue;
        const size_t colon = key.find(':');
        std::string top = key.substr(4, colon - 4) + ":" + Lower(key.substr(colon + 1));
        auto renamed = kRenamed.find(top);
        if (renamed != kRenamed.end()) top = renamed->second;
        FlattenPeer(top, member.value, flat);
    }
    return flat;
}

Flat OwnFlat(const std::vector<XmpProperty>& properties) {
    Flat flat;
    for (const XmpProperty& property : properties) {
        auto group = kGroupOfNamespace.find(property.namespaceUri);
        const std::string key =
            (group != kGroupOfNamespace.end() ? group->second : property.prefix) + ":" + Lower(property.path);
        flat[key];  // an empty list is there with no value
        for (size_t i = 0; i < property.values.size(); i++) {
            std::string language = i < property.languages.size() ? Lower(property.languages[i]) : std::string();
            flat[language.empty() || language == "x-default" ? key : key + "-" + language].push_back(
                property.values[i]);
        }
    }
    return flat;
}

struct Tally {
    int compared = 0;
    int agreed = 0;
};

std::string Shown(const Texts& texts) {
    std::string shown;
    for (const std::string& text : texts) shown += "'" + text.substr(0, 60) + "' ";
    return shown.empty() ? "(none)" : shown;
}

void CompareFile(const std::string& path, const rapidjson::Value& peer, Tally& tally) {
    if (const char* reason = KnownReason(path, "*")) {
        std::printf("%s: not compared: %s\n", path.c_str(), reason);
        return;
    }
    ReportCapture capture;
    AnalyzeFile(capture.analysis, path.c_str());
    const Flat own = OwnFlat(capture.analysis.decoded.xmpProperties);
    for (const auto& entry : PeerFlat(peer)) {
        auto found = own.find(entry.first);
        Texts ownTexts = found != own.end() ? found->second : Texts();
        // exiftool joins a list of numbers into one text.
        if (ownTexts.size() > 1 && entry.second.size() == 1) ownTexts = {Joined(ownTexts)};
        for (size_t i = 0; i < ownTexts.size() && i < entry.second.size(); i++) {
            ownTexts[i] = AsPeerWrites(entry.first, ownTexts[i], entry.second[i]);
        }
        // exiftool shows binary values by their size only, and an empty list as one empty value.
        if (entry.second.size() == 1 && entry.second[0].rfind("(Binary data ", 0) == 0) continue;
        if (found != own.end() && ownTexts.empty() && entry.second == Texts{""}) ownTexts.push_back("");
        if (const char* reason = KnownReason(path, entry.first)) {
            std::printf("%s: %s not compared: %s\n", path.c_str(), entry.first.c_str(), reason);
            continue;
        }
        tally.compared++;
        if (ownTexts == entry.second) {
            tally.agreed++;
        } else {
            std::printf("%s: %s is %s, exiftool reads %s\n", path.c_str(), entry.first.c_str(), Shown(ownTexts).c_str(),
                        Shown(entry.second).c_str());
        }
    }
}

// Compares every file of the folder with XMP and returns the share agreed.
double AgreementOver(const std::string& folder, Tally& tally) {
    rapidjson::Document peer;
    peer.Parse<rapidjson::kParseNumbersAsStringsFlag>(
        RunCommand("exiftool -n -json -r -ext jpg -ext jpeg -xmp:all -G1 -struct -if '$XMP' '" + folder + "' 2>/dev/null")
            .c_str());
    if (!peer.IsArray()) return 0;
    for (const rapidjson::Value& file : peer.GetArray()) CompareFile(file["SourceFile"].GetString(), file, tally);
    std::printf("%s: %d of %d XMP values agree with exiftool\n", folder.c_str(), tally.agreed, tally.compared);
    return tally.compared > 0 ? static_cast<double>(tally.agreed) / tally.compared : 0;
}

}  // namespace

TEST(XmpExiftoolAgreement, OwnPhotographs) {
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    Tally tally;
    EXPECT_EQ(AgreementOver(kXmpPhotosDir, tally), 1.0);
    // Every photograph holds XMP: ratings, lists, languages, structures, a drone's, an extension.
    EXPECT_GE(tally.compared, 50);
}

TEST(XmpExiftoolAgreement, Corpus) {
    SKIP_WITHOUT_CORPUS();
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "exiftool is not installed";
    Tally tally;
    EXPECT_GE(AgreementOver(kCorpusDir, tally), 0.97);
    EXPECT_GT(tally.compared, 0);
}
