// Our own HEIF, AVIF, CR3, PNG and WebP files (tests/photos/heif, png,
// webp): what the container readers find against what exiftool reads from
// the same files (exiftool -n -json).
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "analyze/container_blocks.h"
#include "support/exiftool_posix.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "support/run_command_posix.h"

namespace {

const char* const kFolders[] = {"heif", "png", "webp"};

// A difference that comes from the peer, not from a misreading.
struct KnownDifference {
    const char* file;
    const char* field;
    const char* reason;
};

const KnownDifference kDifferences[] = {
    {"heif/idat-exif-turned.heif", "Make",
     "exiftool 12.57 does not extract an Exif item stored in the idat box (construction method 1)"},
};

bool Known(const std::string& file, const std::string& field) {
    for (const KnownDifference& row : kDifferences) {
        if (file == row.file && field == row.field) return true;
    }
    return false;
}

bool Holds(const FoundBlock& block, const std::string& text) {
    return block.present && std::string(block.bytes.begin(), block.bytes.end()).find(text) != std::string::npos;
}

// "(Binary data 3401 bytes, ...)" as exiftool shows a picture it holds.
int64_t BinaryLength(const rapidjson::Value& value) {
    return value.IsString() ? std::atoll(value.GetString() + std::string("(Binary data ").size()) : -1;
}

struct Tally {
    int compared = 0;
    int agreed = 0;
};

void Compare(Tally& tally, const std::string& file, const char* field, bool agrees, const std::string& detail) {
    if (Known(file, field)) return;
    tally.compared++;
    if (agrees) {
        tally.agreed++;
    } else {
        ADD_FAILURE() << file << ": " << field << ": " << detail;
    }
}

void CompareFile(Tally& tally, const std::string& file, const rapidjson::Value& peer, const FoundBlocks& found) {
    Compare(tally, file, "FileType", peer["FileType"].GetString() == std::string(FileTypeName(found.type)),
            std::string("we say ") + FileTypeName(found.type) + ", exiftool " + peer["FileType"].GetString());
    Compare(tally, file, "MIMEType", peer["MIMEType"].GetString() == std::string(FileTypeMime(found.type)),
            std::string("we say ") + FileTypeMime(found.type));
    Compare(tally, file, "ImageWidth", peer["ImageWidth"].GetInt64() == found.width,
            "we read " + std::to_string(found.width));
    Compare(tally, file, "ImageHeight", peer["ImageHeight"].GetInt64() == found.height,
            "we read " + std::to_string(found.height));
    // Each block is found where exiftool finds its values, and only there.
    const bool hasMake = peer.HasMember("Make");
    Compare(tally, file, "Make", hasMake ? Holds(found.exif, peer["Make"].GetString()) : !found.exif.present,
            found.exif.present ? "an EXIF block without the Make exiftool reads" : "no EXIF block");
    const bool hasTitle = peer.HasMember("Title");
    Compare(tally, file, "Title", hasTitle ? Holds(found.xmp, peer["Title"].GetString()) : !found.xmp.present,
            "the XMP packet differs");
    if (peer.HasMember("Keywords")) {
        const std::string keyword = peer["Keywords"].GetString();
        Compare(tally, file, "Keywords", Holds(found.photoshop, keyword) || Holds(found.iptc, keyword),
                "no IPTC holding the keyword");
    }
    if (peer.HasMember("PreviewImage")) {
        Compare(tally, file, "PreviewImage", BinaryLength(peer["PreviewImage"]) == int64_t(found.previewByteCount),
                "preview of " + std::to_string(found.previewByteCount) + " bytes");
    }
}

TEST(MadeContainerFiles, AgreeWithExiftool) {
    SKIP_WITHOUT_EXIFTOOL();
    std::string command = "cd " + kPhotosDir + " && exiftool -n -json -FileType -MIMEType -ImageWidth -ImageHeight -Make "
                          "-Title -Keywords -PreviewImage";
    for (const char* folder : kFolders) command += std::string(" ") + folder;
    rapidjson::Document peer;
    peer.Parse(RunCommand(command + " 2>/dev/null").c_str());
    ASSERT_TRUE(peer.IsArray());
    ASSERT_GE(peer.Size(), 13u) << "the made files are missing";
    Tally tally;
    for (const rapidjson::Value& entry : peer.GetArray()) {
        const std::string file = entry["SourceFile"].GetString();
        ReportCapture capture;
        SelectReportPane(capture.report(), ReportPane::Exif);
        FILE* stream = std::fopen((kPhotosDir + "/" + file).c_str(), "rb");
        ASSERT_NE(stream, nullptr) << file;
        ByteSource source = StreamSource(stream);
        FoundBlocks found;
        const bool read = ReadContainerBlocks(source, capture.report(), found);
        std::fclose(stream);
        ASSERT_TRUE(read) << file << " is not told as a container we read";
        EXPECT_EQ(capture.RedText(ReportPane::Exif), "") << file << ": a sound file gives no error";
        CompareFile(tally, file, entry, found);
    }
    std::printf("exiftool agreement: %d of %d compared values\n", tally.agreed, tally.compared);
    EXPECT_GE(tally.agreed * 100, tally.compared * 97);
}

}  // namespace
