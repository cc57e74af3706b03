#include <gtest/gtest.h>

#include <cstdio>

#include "../thumbnail/test_jpeg.h"
#include "exif_block_builder.h"
#include "core/thumbnail.h"

namespace {

using namespace exif_test;

std::string ThumbnailLine(int level, int64_t offset, int64_t end) {
    char line[100];
    std::snprintf(line, sizeof line, "%*sMap: %05lld - %05lld: Thumbnail", 4 * level, "",
                  static_cast<long long>(offset), static_cast<long long>(end));
    return line;
}

TEST(ThumbnailSteps, ThumbnailDirectoryHandsOverItsBytes) {
    const std::vector<uint8_t> jpeg = MakeTestJpeg(160, 120);
    ASSERT_FALSE(jpeg.empty());
    for (bool bigEndian : {false, true}) {
        ExifBlockBuilder block(bigEndian);
        int main = block.Directory();
        int thumb = block.Directory();
        block.Add(main, 0x0112, kShort, 1, block.Shorts({1})).Next(main, thumb);
        int data = block.Data(jpeg);
        block.Add(thumb, 0x0103, kShort, 1, block.Shorts({6}));
        block.AddDataOffset(thumb, 0x0201, data);
        block.Add(thumb, 0x0202, kLong, 1, block.Longs({static_cast<uint32_t>(jpeg.size())}));
        ExifRun run(block.Tiff());
        const int64_t offset = block.DataOffset(data);
        const std::vector<std::string> lines = run.Lines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2], ThumbnailLine(1, offset, offset + static_cast<int64_t>(jpeg.size())) +
                                               "(Thumbnail size: " + std::to_string(jpeg.size()) + " bytes)");
        EXPECT_EQ(run.summary.thumbnailBytes, static_cast<int32_t>(jpeg.size()));
        EXPECT_EQ(run.summary.thumbnailPixelWidth, 160);
        EXPECT_EQ(run.summary.thumbnailPixelHeight, 120);
        EXPECT_EQ(run.summary.orientationTagsSeen, 1);
        EXPECT_EQ(run.Red(), "");
    }
}

TEST(ThumbnailSteps, PlacementAgainstTheBlockEnd) {
    const std::vector<uint8_t> jpeg = MakeTestJpeg(16, 16);
    struct Case {
        const char* name;
        int64_t offsetShift;   // from the blob's real offset
        int64_t extraLength;   // over the blob's real length
        bool misplaced;
        bool decoded;
    };
    const Case cases[] = {
        {"exact", 0, 0, false, true},
        {"one byte too long", 0, 1, true, true},
        {"length far too long", 0, 100000, true, true},
        {"starts inside, runs past the end", 8, 0, true, false},
    };
    for (const Case& c : cases) {
        ExifBlockBuilder block(true);  // the layout of the real block, to learn its offsets
        int dir = block.Directory();
        int data = block.Data(jpeg);
        block.AddRaw(dir, 0x0201, kLong, 1, 0);
        block.AddRaw(dir, 0x0202, kLong, 1, 0);
        const int64_t blockLength = static_cast<int64_t>(block.Tiff().size());
        const int64_t offset = block.DataOffset(data) + c.offsetShift;
        const int64_t length = static_cast<int64_t>(jpeg.size()) + c.extraLength;
        ExifBlockBuilder real(true);
        real.Directory();
        real.Data(jpeg);
        real.AddRaw(0, 0x0201, kLong, 1, static_cast<uint32_t>(offset));
        real.AddRaw(0, 0x0202, kLong, 1, static_cast<uint32_t>(length));
        ExifRun run(real.Tiff());
        const int64_t kept = c.misplaced ? blockLength - offset : length;
        std::string expected = ThumbnailLine(0, offset, offset + length);
        if (c.misplaced) {
            EXPECT_TRUE(run.HasLine(expected + "Thumbnail incorrectly placed in header")) << c.name << run.Text();
            EXPECT_TRUE(run.HasLine("(Thumbnail size: " + std::to_string(kept) + " bytes)")) << c.name;
        } else {
            EXPECT_TRUE(run.HasLine(expected + "(Thumbnail size: " + std::to_string(kept) + " bytes)")) << c.name;
        }
        EXPECT_EQ(run.summary.thumbnailBytes, kept) << c.name;
        EXPECT_EQ(run.summary.thumbnailPixelWidth, c.decoded ? 16 : 0) << c.name;
        EXPECT_EQ(run.Red(), "") << c.name;
    }
}

TEST(ThumbnailSteps, OffsetPastTheBlockShowsOnlyTheMapLine) {
    for (uint32_t offset : {0x10000u, 0xFFFFFFF0u}) {
        ExifBlockBuilder block(false);
        int dir = block.Directory();
        block.AddRaw(dir, 0x0201, kLong, 1, offset);
        block.AddRaw(dir, 0x0202, kLong, 1, 100);
        ExifRun run(block.Tiff());
        const std::vector<std::string> lines = run.Lines();
        ASSERT_EQ(lines.size(), 7u) << run.Text();
        EXPECT_EQ(lines[5].rfind("Map: ", 0), 0u);
        EXPECT_NE(lines[5].find(": Thumbnail"), std::string::npos);
        EXPECT_EQ(lines[5].find("size"), std::string::npos);
        EXPECT_EQ(lines[6], "Map: 00038 - End of exif");
        EXPECT_EQ(run.summary.thumbnailBytes, 0);
    }
}

TEST(ThumbnailSteps, OffsetOrLengthZeroMeansNoThumbnail) {
    for (uint32_t length : {0u, 10u}) {
        ExifBlockBuilder block(true);
        int dir = block.Directory();
        block.AddRaw(dir, 0x0201, kLong, 1, length == 0 ? 8 : 0);
        block.AddRaw(dir, 0x0202, kLong, 1, length);
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.Text().find(": Thumbnail"), std::string::npos);
        EXPECT_EQ(run.summary.thumbnailBytes, 0);
    }
}

TEST(ThumbnailSteps, NextDirectoryIsListedBeforeTheThumbnailLines) {
    const std::vector<uint8_t> first = MakeTestJpeg(8, 8);
    const std::vector<uint8_t> second = MakeTestJpeg(24, 16);
    ExifBlockBuilder block(false);
    int main = block.Directory();
    int next = block.Directory();
    int firstData = block.Data(first);
    int secondData = block.Data(second);
    block.AddDataOffset(main, 0x0201, firstData);
    block.Add(main, 0x0202, kLong, 1, block.Longs({static_cast<uint32_t>(first.size())}));
    block.Next(main, next);
    block.AddDataOffset(next, 0x0201, secondData);
    block.Add(next, 0x0202, kLong, 1, block.Longs({static_cast<uint32_t>(second.size())}));
    ExifRun run(block.Tiff());
    const std::vector<std::string> lines = run.Lines();
    size_t nextLine = lines.size();
    size_t mainThumbnail = lines.size();
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i].rfind("    Map: ", 0) == 0 && lines[i].find(": Thumbnail") != std::string::npos) nextLine = i;
        if (lines[i].rfind("Map: ", 0) == 0 && lines[i].find(": Thumbnail") != std::string::npos) mainThumbnail = i;
    }
    ASSERT_LT(nextLine, lines.size());
    ASSERT_LT(mainThumbnail, lines.size());
    EXPECT_LT(nextLine, mainThumbnail);
    // The main directory's thumbnail is handed over last, so it is the one kept.
    EXPECT_EQ(run.summary.thumbnailPixelWidth, 8);
    EXPECT_EQ(run.summary.thumbnailBytes, static_cast<int32_t>(first.size()));
    EXPECT_EQ(run.capture.analysis.thumbnail.width, 8);
}

}  // namespace
