// The IPTC datasets that the pane lists for the project's photographs and
// the corpus files, checked against the peer reader exiftool: same
// datasets, same order, same values.
// Each file's first APP13 segment (the one the pane shows) is written alone
// into a small JPEG, so that both readers see exactly the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "app13_builder.h"
#include "app13/iptc_dataset_table.h"
#include "core/image_summary.h"
#include "jpeg/segment_reader.h"
#include "support/exiftool_posix.h"
#include "support/photo_folders.h"
#include "support/run_command_posix.h"

namespace {

struct ShownDataset {
    std::string name;   // table name, or the whole "Unrecognised IPTC tag: N" line
    std::string value;  // the value's lines joined with "\n"
};

struct PeerDataset {
    int record = 0;
    int number = 0;
    std::vector<uint8_t> raw;
};

struct CorpusFile {
    std::string path;
    std::string copyPath;
    JpegSegment app13;
    std::vector<PeerDataset> peer;
};

std::vector<std::string> FilesUnder(const std::vector<std::string>& roots) {
    std::vector<std::string> paths;
    for (const std::string& root : roots) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_regular_file() && entry.path().filename() != "README") paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The first APP13 segment of the file as the segment reader keeps it.
bool FirstApp13(const std::string& path, JpegSegment* app13) {
    ReportCapture quiet;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    ByteSource source = StreamSource(file);
    ReadJpegSegments(quiet.analysis, source);
    std::fclose(file);
    const SegmentList& segments = quiet.analysis.segments;
    for (int32_t i = 0; i < segments.count; i++) {
        const JpegSegment& segment = segments.entries[static_cast<size_t>(i)];
        if (segment.marker == 0xED) {
            *app13 = segment;
            return true;
        }
    }
    return false;
}

int RecordNumber(const std::string& name) {
    static const std::map<std::string, int> records = {
        {"Envelope", 1}, {"Application", 2}, {"NewsPhoto", 3}, {"PreObjectData", 7},
        {"ObjectData", 8}, {"PostObjectData", 9}, {"FotoStation", 240}};
    auto found = records.find(name);
    return found == records.end() ? -1 : found->second;
}

// "  | | - Tag 0x0019, IPTCApplication record (7 bytes, ...)": the dataset
// number and the record.
bool ParseTagLine(const std::string& line, PeerDataset* dataset) {
    const std::string start = "  | | - Tag 0x";
    const std::string middle = ", IPTC";
    if (line.rfind(start, 0) != 0 || line.compare(start.size() + 4, middle.size(), middle) != 0) return false;
    size_t nameStart = start.size() + 4 + middle.size();
    size_t nameEnd = line.find(" record (", nameStart);
    if (nameEnd == std::string::npos) return false;
    dataset->number = std::stoi(line.substr(start.size(), 4), nullptr, 16);
    dataset->record = RecordNumber(line.substr(nameStart, nameEnd - nameStart));
    return true;
}

// "  | |     0dd1: 1b 25 47       [.%G]": the bytes of the hex dump.
bool ParseDumpLine(const std::string& line, std::vector<uint8_t>* raw) {
    const std::string start = "  | |     ";
    if (line.rfind(start, 0) != 0) return false;
    size_t colon = line.find(": ", start.size());
    if (colon == std::string::npos) return false;
    size_t at = colon + 2;
    while (at + 2 < line.size() && std::isxdigit(static_cast<unsigned char>(line[at])) &&
           std::isxdigit(static_cast<unsigned char>(line[at + 1])) && line[at + 2] == ' ') {
        raw->push_back(static_cast<uint8_t>(std::stoi(line.substr(at, 2), nullptr, 16)));
        at += 3;
    }
    return true;
}

// exiftool -v5 lists every dataset as a tag line followed by a full hex
// dump of its value.
std::map<std::string, std::vector<PeerDataset>> ParsePeerOutput(const std::string& output) {
    std::map<std::string, std::vector<PeerDataset>> byFile;
    std::vector<PeerDataset>* current = nullptr;
    PeerDataset* dataset = nullptr;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        PeerDataset parsed;
        if (line.rfind("======== ", 0) == 0) {
            current = &byFile[line.substr(9)];
            dataset = nullptr;
        } else if (current != nullptr && ParseTagLine(line, &parsed)) {
            current->push_back(parsed);
            dataset = &current->back();
        } else if (dataset == nullptr || !ParseDumpLine(line, &dataset->raw)) {
            dataset = nullptr;
        }
    }
    return byFile;
}

bool IsRecordHeading(const std::string& line) {
    return line == "EnvelopeRecord" || line == "ApplicationRecord";
}

bool EndsValue(const std::string& line) {
    return IsRecordHeading(line) || line.rfind("PhotoShopTag:", 0) == 0 || line.rfind("Nonfatal Error", 0) == 0 ||
           line.rfind(" == ", 0) == 0;
}

// The datasets the pane lists: a record heading, then "Name = value" (the
// value may run over several lines) or an unrecognised-tag line.
std::vector<ShownDataset> ParsePane(const std::vector<std::string>& lines) {
    std::vector<ShownDataset> shown;
    for (size_t i = 0; i + 1 < lines.size(); i++) {
        if (!IsRecordHeading(lines[i])) continue;
        const std::string& line = lines[++i];
        if (line.rfind("Unrecognised IPTC tag: ", 0) == 0) {
            shown.push_back({line, ""});
            continue;
        }
        size_t equals = line.find(" = ");
        if (equals == std::string::npos) continue;
        ShownDataset dataset{line.substr(0, equals), line.substr(equals + 3)};
        while (i + 1 < lines.size() && !EndsValue(lines[i + 1])) dataset.value += "\n" + lines[++i];
        if (dataset.name == "ExifCameraInfo" && dataset.value.rfind("\n", 0) == 0) dataset.value.erase(0, 1);
        shown.push_back(dataset);
    }
    return shown;
}

// What the pane should list for a dataset that exiftool read.
ShownDataset ExpectedFromPeer(const PeerDataset& peer, bool* valueKnown) {
    int32_t tag = peer.record * 256 + peer.number;
    const IptcDatasetEntry* entry = FindIptcDataset(tag);
    *valueKnown = true;
    if (entry == nullptr) return {"Unrecognised IPTC tag: " + std::to_string(tag), ""};
    const std::vector<uint8_t>& raw = peer.raw;
    std::string value;
    switch (ValueKindOf(*entry)) {
        case IptcValueKind::Number:
            *valueKnown = raw.size() >= 2;
            if (*valueKnown) value = std::to_string(raw[0] << 8 | raw[1]);
            break;
        case IptcValueKind::Fixed:
            // A value shorter than its field is shown with the bytes after it.
            *valueKnown = raw.size() >= static_cast<size_t>(entry->minLength);
            for (size_t i = 0; i < raw.size() && i < static_cast<size_t>(entry->minLength) && raw[i] != 0; i++) {
                value += static_cast<char>(raw[i]);
            }
            break;
        case IptcValueKind::Text:
            for (size_t i = 0; i < raw.size() && raw[i] != 0; i++) {
                char c = static_cast<char>(raw[i]);
                if (c == 0x1B) {
                    value += "ESC";
                } else if (c == '\t') {
                    value += ' ';
                } else if (c == '\r' || c == '\n') {
                    if (value.empty() || value.back() != '\n') value += '\n';
                } else {
                    value += c;
                }
            }
            if (!value.empty() && value.back() == '\n') value.pop_back();
            break;
    }
    return {entry->name, value};
}

std::vector<CorpusFile> FilesWithApp13(const std::vector<std::string>& roots) {
    std::vector<CorpusFile> files;
    for (const std::string& path : FilesUnder(roots)) {
        CorpusFile file;
        if (!FirstApp13(path, &file.app13)) continue;
        file.path = path;
        ByteBuilder copy;
        copy.U8(0xFF).U8(0xD8).U8(0xFF).U8(0xED).Append(file.app13.data).U8(0xFF).U8(0xD9);
        file.copyPath = WriteTempFile(copy.bytes, "app13_" + std::to_string(files.size()) + ".jpg");
        files.push_back(file);
    }
    return files;
}

void CompareWithExiftool(const std::vector<std::string>& roots, int fewestDatasets) {
    SKIP_WITHOUT_EXIFTOOL();
    std::vector<CorpusFile> files = FilesWithApp13(roots);
    ASSERT_GE(files.size(), 2u);
    std::string command = "exiftool -v5 -a";
    for (const CorpusFile& file : files) command += " '" + file.copyPath + "'";
    auto peerByFile = ParsePeerOutput(RunCommand(command + " 2>/dev/null"));

    int filesWithDatasets = 0;
    int datasetsCompared = 0;
    for (const CorpusFile& file : files) {
        const std::vector<PeerDataset>& peer = peerByFile[file.copyPath];
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::IptcXmp);
        DecodePhotoshopResources(capture.analysis, file.app13);
        std::vector<ShownDataset> shown = ParsePane(capture.Lines(ReportPane::IptcXmp));
        const std::string& pane = capture.Text(ReportPane::IptcXmp);
        if (!peer.empty()) filesWithDatasets++;

        // The walk stops by design at a resource id it cannot step over
        // (before the IPTC resource), at a record other than 1 and 2, and at
        // IPTC data that ends in bytes too few for a dataset header.
        std::string stop;
        if (pane.find("IPTC type signature mismatch(3)") != std::string::npos) stop = "unknown resource id";
        if (pane.find("IPTC recordid mismatch(8)") != std::string::npos) stop = "record other than 1 and 2";
        if (pane.find("IPTC length mismatch(6)") != std::string::npos) stop = "stray bytes after the last dataset";
        if (shown.size() < peer.size() && !stop.empty()) {
            std::printf("  %s: pane stops after %zu of %zu datasets: %s\n", file.path.c_str(), shown.size(),
                        peer.size(), stop.c_str());
        } else {
            EXPECT_EQ(shown.size(), peer.size()) << file.path << "\n" << pane.substr(0, 2000);
        }
        for (size_t i = 0; i < shown.size() && i < peer.size(); i++) {
            bool valueKnown = true;
            ShownDataset expected = ExpectedFromPeer(peer[i], &valueKnown);
            EXPECT_EQ(shown[i].name, expected.name) << file.path << " dataset " << i;
            if (valueKnown) {
                EXPECT_EQ(shown[i].value, expected.value) << file.path << " dataset " << i;
            } else {
                EXPECT_EQ(shown[i].value.substr(0, expected.value.size()), expected.value) << file.path;
            }
            datasetsCompared++;
        }
    }
    std::printf("  %zu files with APP13, %d with IPTC datasets, %d datasets compared\n", files.size(), filesWithDatasets,
                datasetsCompared);
    EXPECT_GE(datasetsCompared, fewestDatasets);
}

}  // namespace

TEST(CorpusIptc, DatasetsOfTheProjectPhotographsAgreeWithExiftool) { CompareWithExiftool({kPhotosDir}, 22); }

TEST(CorpusIptc, DatasetsAgreeWithExiftool) {
    SKIP_WITHOUT_CORPUS();
    CompareWithExiftool({kCorpusDir + "/camera", kCorpusDir + "/peer-suite"}, 51);
}
