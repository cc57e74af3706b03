// The thumbnail is decoded to its colour planes rather than to RGB. That
// must accept and refuse exactly the thumbnails a full RGB decode accepts
// and refuses: checked on every thumbnail of the project's photographs and
// of the corpus, on cut and damaged copies of them, and on every chroma
// sampling. Both count a picture whose rows all came out as decoded,
// whatever the decoder warned of, and refuse one that stops it or whose data
// ends first.
#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "decode_result.h"
#include "support/photo_folders.h"
#include "test_jpeg.h"
#include "core/thumbnail.h"

namespace {

struct Outcome {
    int width = 0;
    int height = 0;
    bool operator==(const Outcome& other) const { return width == other.width && height == other.height; }
};

struct RgbErrors {
    jpeg_error_mgr manager;
    std::jmp_buf stop;
};

[[noreturn]] void StopRgb(j_common_ptr info) { std::longjmp(reinterpret_cast<RgbErrors*>(info->err)->stop, 1); }
void OnRgbMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) StopRgb(info);
}

// Every scanline as RGB, with smooth upsampling and colour conversion.
bool DecodeRgbRows(jpeg_decompress_struct& info, RgbErrors& errors, const std::vector<uint8_t>& bytes,
                   std::vector<uint8_t>& row) {
    if (setjmp(errors.stop) != 0) return false;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    if (info.num_components == 2 || info.num_components > 4) return false;
    if (static_cast<int64_t>(info.image_width) * info.image_height > kMostThumbnailPixels) return false;
    info.out_color_space = info.num_components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    row.resize(static_cast<size_t>(info.output_width) * info.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (info.output_scanline < info.output_height) {
        if (jpeg_read_scanlines(&info, rows, 1) != 1) return false;
    }
    return true;
}

// What a full RGB decode with a fresh decoder makes of the bytes.
Outcome DecodeToRgb(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return {};
    jpeg_decompress_struct info;
    RgbErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = StopRgb;
    errors.manager.emit_message = OnRgbMessage;
    jpeg_create_decompress(&info);
    std::vector<uint8_t> row;
    const bool decoded = DecodeRgbRows(info, errors, bytes, row);
    Outcome outcome;
    if (decoded) outcome = {static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
    jpeg_destroy_decompress(&info);
    return outcome;
}

Outcome DecodeAsThumbnail(const std::vector<uint8_t>& bytes) {
    const DecodeResult result = Decode(bytes);
    EXPECT_EQ(result.current, result.width > 0);
    EXPECT_EQ(result.currentWidth, result.width);
    EXPECT_EQ(result.currentHeight, result.height);
    return Outcome{result.width, result.height};
}

std::vector<uint8_t> ReadStart(const std::string& path, size_t most) {
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes(most);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(most));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return bytes;
}

// The embedded JPEG in the file's first EXIF segment: from its start-of-image
// marker to the segment end (the decoder stops at its end-of-image marker).
std::vector<uint8_t> EmbeddedThumbnail(const std::vector<uint8_t>& file) {
    size_t at = 2;
    while (file.size() >= 4 && at + 4 <= file.size() && file[at] == 0xFF) {
        const size_t length = static_cast<size_t>(file[at + 2]) * 256 + file[at + 3];
        const size_t end = std::min(file.size(), at + 2 + length);
        const bool isExif = file[at + 1] == 0xE1 && end >= at + 10 &&
                            std::equal(file.begin() + static_cast<long>(at) + 4,
                                       file.begin() + static_cast<long>(at) + 8, "Exif");
        if (isExif) {
            for (size_t i = at + 10; i + 3 <= end; i++) {
                if (file[i] == 0xFF && file[i + 1] == 0xD8 && file[i + 2] == 0xFF) {
                    return std::vector<uint8_t>(file.begin() + static_cast<long>(i),
                                                file.begin() + static_cast<long>(end));
                }
            }
            return {};
        }
        if (file[at + 1] == 0xDA || length < 2) return {};
        at += 2 + length;
    }
    return {};
}

std::vector<std::vector<uint8_t>> ThumbnailsUnder(const std::string& folder) {
    std::vector<std::vector<uint8_t>> thumbnails;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::vector<uint8_t> thumbnail = EmbeddedThumbnail(ReadStart(entry.path().string(), 128 * 1024));
        if (!thumbnail.empty()) thumbnails.push_back(std::move(thumbnail));
    }
    return thumbnails;
}

// Cut copies and copies with single bytes changed, from a fixed seed.
std::vector<std::vector<uint8_t>> DamagedCopies(const std::vector<uint8_t>& jpeg, std::mt19937& random) {
    std::vector<std::vector<uint8_t>> copies;
    for (size_t keep : {jpeg.size() / 4, jpeg.size() / 2, jpeg.size() * 9 / 10, jpeg.size() - 2}) {
        copies.emplace_back(jpeg.begin(), jpeg.begin() + static_cast<long>(keep));
    }
    for (int i = 0; i < 6; i++) {
        std::vector<uint8_t> changed = jpeg;
        changed[random() % changed.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        copies.push_back(std::move(changed));
    }
    copies.push_back(WithStrayBytesBeforeScan(jpeg));
    copies.push_back(WithDamagedScanData(jpeg));
    return copies;
}

// Each thumbnail under the folder and its damaged copies; the thumbnails
// must number at least fewest, and as many of the copies must decode and
// be refused, or the comparison proved nothing.
void CompareOnThumbnailsUnder(const std::string& folder, size_t fewest) {
    const std::vector<std::vector<uint8_t>> thumbnails = ThumbnailsUnder(folder);
    std::mt19937 random(2026);
    int decoded = 0;
    int refused = 0;
    for (size_t i = 0; i < thumbnails.size(); i++) {
        std::vector<std::vector<uint8_t>> inputs = DamagedCopies(thumbnails[i], random);
        inputs.push_back(thumbnails[i]);
        for (size_t k = 0; k < inputs.size(); k++) {
            const Outcome expected = DecodeToRgb(inputs[k]);
            const Outcome actual = DecodeAsThumbnail(inputs[k]);
            EXPECT_TRUE(actual == expected) << "thumbnail " << i << " copy " << k << ": " << actual.width << " x "
                                            << actual.height << " instead of " << expected.width << " x "
                                            << expected.height;
            (expected.width > 0 ? decoded : refused)++;
        }
    }
    std::printf("  %zu thumbnails: %d copies decoded, %d refused\n", thumbnails.size(), decoded, refused);
    EXPECT_GE(thumbnails.size(), fewest);
    EXPECT_GE(decoded, static_cast<int>(fewest));
    EXPECT_GE(refused, static_cast<int>(fewest));
}

TEST(PlanarDecode, AcceptsWhatTheRgbDecodeAcceptsOnTheProjectPhotographs) { CompareOnThumbnailsUnder(kPhotosDir, 20); }

TEST(PlanarDecode, AcceptsWhatTheRgbDecodeAcceptsOnTheCorpus) {
    SKIP_WITHOUT_CORPUS();
    CompareOnThumbnailsUnder(kCorpusDir, 60);
}

TEST(PlanarDecode, EverySamplingAndOddSizes) {
    const int samplings[] = {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_GRAY, TJSAMP_440, TJSAMP_411};
    const int sizes[][2] = {{160, 120}, {17, 5}, {1, 1}, {33, 65}};
    for (int sampling : samplings) {
        for (const auto& size : sizes) {
            const std::vector<uint8_t> jpeg = MakeTestJpeg(size[0], size[1], sampling);
            ASSERT_FALSE(jpeg.empty());
            const Outcome expected{size[0], size[1]};
            EXPECT_TRUE(DecodeAsThumbnail(jpeg) == expected) << "sampling " << sampling << " " << size[0] << " x "
                                                             << size[1];
            std::vector<uint8_t> cut(jpeg.begin(), jpeg.end() - 40);
            EXPECT_TRUE(DecodeAsThumbnail(cut) == DecodeToRgb(cut)) << "sampling " << sampling << " cut";
        }
    }
}

// The picture buffers are reused from file to file: a failed decode in
// between must not leave anything behind for the next one.
TEST(PlanarDecode, FailuresAndSuccessesInTurn) {
    const std::vector<uint8_t> large = MakeTestJpeg(300, 200);
    const std::vector<uint8_t> small = MakeTestJpeg(20, 10, TJSAMP_GRAY);
    const std::vector<uint8_t> cut(large.begin(), large.begin() + static_cast<long>(large.size() / 2));
    const std::vector<uint8_t> junk(500, 0x5A);
    for (int round = 0; round < 3; round++) {
        EXPECT_TRUE(DecodeAsThumbnail(large) == (Outcome{300, 200}));
        EXPECT_TRUE(DecodeAsThumbnail(cut) == Outcome{});
        EXPECT_TRUE(DecodeAsThumbnail(small) == (Outcome{20, 10}));
        EXPECT_TRUE(DecodeAsThumbnail(junk) == Outcome{});
    }
}

}  // namespace
