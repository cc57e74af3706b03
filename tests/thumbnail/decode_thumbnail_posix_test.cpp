#include <gtest/gtest.h>

#include <random>

#include "decode_result.h"
#include "support/byte_builder.h"
#include "test_jpeg.h"
#include "core/thumbnail.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t count) {
    std::mt19937 generator(12345);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
    return bytes;
}

// The JPEG with the frame size in its start-of-frame header replaced.
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, unsigned width, unsigned height) {
    for (size_t i = 2; i + 8 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

TEST(DecodeThumbnail, OnlyFullyDecodedPicturesCount) {
    const std::vector<uint8_t> valid = MakeTestJpeg(160, 120);
    ASSERT_GT(valid.size(), 200u);
    std::vector<uint8_t> truncated(valid.begin(), valid.begin() + static_cast<long>(valid.size() / 2));
    std::vector<uint8_t> headerOnly(valid.begin(), valid.begin() + 20);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {"valid 160 x 120", valid, 160, 120},
        {"odd size", MakeTestJpeg(17, 5), 17, 5},
        {"cut in the middle of the scan", truncated, 0, 0},
        // Warned of, but decoded to the end: shown, as the window shows them.
        {"stray bytes before the scan", WithStrayBytesBeforeScan(MakeTestJpeg(66, 43)), 66, 43},
        {"damaged scan data", WithDamagedScanData(valid), 160, 120},
        {"cut before any size", headerOnly, 0, 0},
        {"random bytes", RandomBytes(4000), 0, 0},
        {"random bytes after a start marker", Concat({{0xFF, 0xD8}, RandomBytes(4000)}), 0, 0},
        {"no bytes", {}, 0, 0},
        {"absurd frame size", WithFrameSize(valid, 65000, 65000), 0, 0},
    };
    for (const Case& c : cases) {
        DecodeResult result = Decode(c.bytes);
        EXPECT_EQ(result.width, c.width) << c.name;
        EXPECT_EQ(result.height, c.height) << c.name;
        EXPECT_EQ(result.current, c.width > 0) << c.name;
        EXPECT_EQ(result.currentWidth, c.width) << c.name;
        EXPECT_EQ(result.currentHeight, c.height) << c.name;
    }
}

TEST(DecodeThumbnail, LaterThumbnailReplacesTheEarlierAndReleaseDropsIt) {
    ThumbnailState state;
    const std::vector<uint8_t> first = MakeTestJpeg(40, 30);
    const std::vector<uint8_t> second = MakeTestJpeg(24, 32);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(DecodeThumbnail(state, MakeView(first), &width, &height));
    ASSERT_TRUE(DecodeThumbnail(state, MakeView(second), &width, &height));
    EXPECT_EQ(state.width, 24);
    EXPECT_EQ(state.height, 32);
    // A later thumbnail that does not decode leaves the decoded one shown.
    const std::vector<uint8_t> junk = RandomBytes(100);
    EXPECT_FALSE(DecodeThumbnail(state, MakeView(junk), &width, &height));
    ASSERT_NE(state.current, nullptr);
    EXPECT_EQ(state.width, 24);
    EXPECT_EQ(state.height, 32);
    ReleaseThumbnail(state);
    EXPECT_EQ(state.current, nullptr);
    EXPECT_EQ(state.width, 0);
    EXPECT_EQ(state.height, 0);
}

}  // namespace
