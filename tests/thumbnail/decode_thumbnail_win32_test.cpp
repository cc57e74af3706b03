// The GDI+ thumbnail decoder, run under Windows or Wine with GDI+ started by
// the test as the program does at start-up.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/image_summary.h"
#include "support/byte_builder.h"
#include "support/flat_jpeg.h"
#include "test_jpeg.h"
#include "core/thumbnail.h"
#include "thumbnail/thumbnail_win32.h"

namespace {

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t count) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

// Bytes that no image decoder recognises (a fixed linear congruential series).
std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
    ByteBuilder noise;
    for (size_t i = 0; i < count; i++) {
        seed = seed * 1664525u + 1013904223u;
        noise.U8(seed >> 24);
    }
    noise.bytes[0] = 0x5A;  // never the start of a JPEG, PNG, GIF or BMP file
    return noise.bytes;
}

// The thumbnail stored inside a project photograph (offset and length from exiftool).
std::vector<uint8_t> PhotoBytes(const std::string& name, long offset, size_t length) {
    std::string path = std::string(PIXLOUPE_PHOTOS_DIR) + "/" + name;
    std::vector<uint8_t> bytes(length);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    bool read = std::fseek(file, offset, SEEK_SET) == 0 && std::fread(bytes.data(), 1, length, file) == length;
    std::fclose(file);
    return read ? bytes : std::vector<uint8_t>{};
}

struct BitmapSize {
    int width = 0;
    int height = 0;
};

// The size of a bitmap as GDI itself sees it.
BitmapSize SizeOfBitmap(HBITMAP bitmap) {
    BITMAP info;
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {};
    return {info.bmWidth, info.bmHeight};
}

class DecodeThumbnailTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr), Gdiplus::Ok);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(gdiplusToken); }
    void TearDown() override { ReleaseThumbnail(state); }

    // Decodes into the state; the size given, 0 x 0 when refused.
    BitmapSize DecodeInto(const std::vector<uint8_t>& bytes) {
        int width = 0;
        int height = 0;
        if (!DecodeThumbnail(state, MakeView(bytes), &width, &height)) return {};
        return {width, height};
    }

    ThumbnailState state;
    static ULONG_PTR gdiplusToken;
};
ULONG_PTR DecodeThumbnailTest::gdiplusToken = 0;

struct ValidCase {
    const char* name;
    std::vector<uint8_t> bytes;
    int width;
    int height;
};

TEST_F(DecodeThumbnailTest, ValidJpegGivesItsSizeAndABitmapOfThatSize) {
    const std::vector<ValidCase> cases = {
        {"usual thumbnail", FlatJpeg(160, 120), 160, 120},
        {"one block", FlatJpeg(8, 8), 8, 8},
        {"one pixel", FlatJpeg(1, 1), 1, 1},
        {"partial blocks, portrait", FlatJpeg(17, 300), 17, 300},
        {"trailing bytes after the image", Concat({FlatJpeg(75, 56), {0x00, 0x00, 0x00, 0x00}}), 75, 56},
        // Damage the decoder only warns of: the picture is still shown.
        {"stray bytes before the scan", WithStrayBytesBeforeScan(FlatJpeg(66, 43)), 66, 43},
        {"damaged scan data", WithDamagedScanData(FlatJpeg(160, 120)), 160, 120},
        {"camera thumbnail 160 x 120", PhotoBytes("ii-camera-gps-north-east.jpg", 984, 1650), 160, 120},
        {"grey camera thumbnail 100 x 75", PhotoBytes("ii-exposure-index-grey.jpg", 644, 492), 100, 75},
        {"portrait camera thumbnail, 4:2:2", PhotoBytes("mm-apex-max-aperture.jpg", 622, 734), 60, 80},
        {"progressive camera thumbnail", PhotoBytes("ii-apex-shutter-aperture.jpg", 650, 1276), 80, 60},
    };
    for (const ValidCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        BitmapSize given = DecodeInto(c.bytes);
        EXPECT_EQ(given.width, c.width);
        EXPECT_EQ(given.height, c.height);
        BitmapSize made = SizeOfBitmap(ThumbnailBitmap(state));
        EXPECT_EQ(made.width, c.width);
        EXPECT_EQ(made.height, c.height);
        EXPECT_EQ(state.width, c.width);
        EXPECT_EQ(state.height, c.height);
        ReleaseThumbnail(state);
    }
}

TEST_F(DecodeThumbnailTest, BytesThatDoNotDecodeGiveNoBitmapAndNoSize) {
    const std::vector<uint8_t> jpeg = FlatJpeg(160, 120);
    const std::vector<uint8_t> camera = PhotoBytes("ii-camera-gps-north-east.jpg", 984, 1650);
    ASSERT_FALSE(camera.empty());
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"random bytes", NoiseBytes(4096, 7)},
        {"a few random bytes", NoiseBytes(3, 11)},
        {"start of image only", {0xFF, 0xD8}},
        {"cut inside the quantisation table", Prefix(jpeg, 40)},
        {"cut inside the frame header", Prefix(jpeg, 2 + 69 + 6)},
        {"scan data cut short", Prefix(jpeg, jpeg.size() - 40)},
        {"camera thumbnail cut before its frame header", Prefix(camera, 120)},
        {"markers without a frame", Concat({{0xFF, 0xD8}, Segment(0xFE, Bytes("no frame")), {0xFF, 0xD9}})},
        {"zero bytes", std::vector<uint8_t>(512, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        BitmapSize given = DecodeInto(c.second);
        EXPECT_EQ(given.width, 0);
        EXPECT_EQ(given.height, 0);
        EXPECT_EQ(ThumbnailBitmap(state), nullptr);
        EXPECT_EQ(state.width, 0);
        EXPECT_EQ(state.height, 0);
    }
}

TEST_F(DecodeThumbnailTest, HeaderClaimingMoreThanAMegapixelIsRefused) {
    const struct {
        const char* name;
        std::vector<uint8_t> jpeg;
        int width;  // 0: refused
        int height;
    } cases[] = {
        {"a megapixel exactly", FlatJpeg(1024, 1024), 1024, 1024},
        {"just over a megapixel", FlatJpeg(1025, 1024), 0, 0},
        {"claims 8000 x 8000", ClaimFrameSize(FlatJpeg(16, 16), 8000, 8000), 0, 0},
        {"claims 65535 x 65535", ClaimFrameSize(FlatJpeg(16, 16), 65535, 65535), 0, 0},
    };
    for (const auto& c : cases) {
        ReleaseThumbnail(state);
        BitmapSize given = DecodeInto(c.jpeg);
        EXPECT_EQ(ThumbnailBitmap(state) != nullptr, c.width > 0) << c.name;
        EXPECT_EQ(given.width, c.width) << c.name;
        EXPECT_EQ(given.height, c.height) << c.name;
    }
}

TEST_F(DecodeThumbnailTest, EmptyViewDecodesNothing) {
    int width = 0;
    int height = 0;
    EXPECT_FALSE(DecodeThumbnail(state, ByteView{}, &width, &height));
    EXPECT_EQ(ThumbnailBitmap(state), nullptr);
}

TEST_F(DecodeThumbnailTest, ReleaseDeletesTheBitmap) {
    DecodeInto(FlatJpeg(32, 24));
    HBITMAP made = ThumbnailBitmap(state);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(GetObjectType(made), static_cast<DWORD>(OBJ_BITMAP));

    ReleaseThumbnail(state);
    EXPECT_EQ(ThumbnailBitmap(state), nullptr);
    EXPECT_EQ(GetObjectType(made), 0u);
    EXPECT_EQ(state.width, 0);
    // A second release has nothing left to delete.
    ReleaseThumbnail(state);
    EXPECT_EQ(ThumbnailBitmap(state), nullptr);
}

TEST_F(DecodeThumbnailTest, LaterThumbnailOfTheSameFileReplacesAndDeletesTheEarlierOne) {
    DecodeInto(FlatJpeg(160, 120));
    HBITMAP earlier = ThumbnailBitmap(state);
    ASSERT_NE(earlier, nullptr);

    BitmapSize given = DecodeInto(FlatJpeg(40, 30));
    HBITMAP later = ThumbnailBitmap(state);
    ASSERT_NE(later, nullptr);
    EXPECT_NE(later, earlier);
    EXPECT_EQ(GetObjectType(earlier), 0u);
    EXPECT_EQ(given.width, 40);
    EXPECT_EQ(given.height, 30);
    EXPECT_EQ(SizeOfBitmap(later).width, 40);
}

TEST_F(DecodeThumbnailTest, UndecodableLaterThumbnailKeepsTheEarlierBitmap) {
    DecodeInto(FlatJpeg(64, 48));
    HBITMAP earlier = ThumbnailBitmap(state);
    ASSERT_NE(earlier, nullptr);

    BitmapSize given = DecodeInto(NoiseBytes(1000, 3));
    EXPECT_EQ(ThumbnailBitmap(state), earlier);
    EXPECT_EQ(GetObjectType(earlier), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(given.width, 0);
}

// The copy of the bytes lives in a global memory block that the stream frees
// when it is released, whether or not the bytes decoded.
TEST_F(DecodeThumbnailTest, RepeatedDecodingDoesNotKeepTheCopiedBytes) {
    const std::vector<uint8_t> noise = NoiseBytes(256 * 1024, 5);
    const std::vector<uint8_t> jpeg = Concat({FlatJpeg(16, 16), std::vector<uint8_t>(256 * 1024, 0)});
    auto committed = [] {
        PROCESS_MEMORY_COUNTERS counters;
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return counters.PagefileUsage;
    };
    // Warm up GDI+ and its codecs before measuring.
    DecodeInto(jpeg);
    DecodeInto(noise);
    SIZE_T before = committed();
    for (int i = 0; i < 60; i++) {
        DecodeInto(jpeg);
        DecodeInto(noise);
    }
    SIZE_T after = committed();
    ASSERT_GT(before, 0u);
    // Keeping the copies would add 30 MB.
    EXPECT_LT(after, before + 8 * 1024 * 1024);
    EXPECT_EQ(SizeOfBitmap(ThumbnailBitmap(state)).width, 16);
}

}  // namespace
