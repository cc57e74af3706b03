// Blocks whose links lead back into the same bytes again and again: a
// listing that would run to gigabytes, or a walk that would not end, is
// stopped once it has shown a megabyte, with one line saying so.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "exif_block_builder.h"
#include "thumbnail/test_jpeg.h"
#include "core/thumbnail.h"

namespace {

using namespace exif_test;

const char kBudgetLine[] = "Nonfatal Error : Exif listing too long, rest not shown(corrupt exif header)";
// What the budget lets through, with room for the lines of the walk that
// unwinds after it is spent.
constexpr size_t kMostPaneBytes = 1200 * 1024;
constexpr uint32_t kTagExifOffset = 0x8769, kTagGpsOffset = 0x8825, kTagDescription = 0x010E;

int CountLines(const std::vector<std::string>& lines, const std::string& wanted) {
    int count = 0;
    for (const std::string& line : lines) count += line == wanted ? 1 : 0;
    return count;
}

int CountLinesHolding(const std::vector<std::string>& lines, const std::string& part) {
    int count = 0;
    for (const std::string& line : lines) count += line.find(part) != std::string::npos ? 1 : 0;
    return count;
}

// Where the first data blob lands after a first directory of n entries
// that keeps all its values inline.
uint32_t DataAfterDirectory(unsigned entries) { return 8 + 2 + 12 * entries + 4; }

std::vector<uint8_t> FanOutOfSelfLinks(bool bigEndian) {
    ExifBlockBuilder block(bigEndian);
    int first = block.Directory();
    for (int i = 0; i < 2000; i++) block.AddLink(first, kTagExifOffset, first);
    return block.Tiff();
}

std::vector<uint8_t> OneTextForThousandsOfEntries(bool bigEndian) {
    ExifBlockBuilder block(bigEndian);
    int first = block.Directory();
    const unsigned entries = 2500;
    const uint32_t textLength = 30000;
    for (unsigned i = 0; i < entries; i++) {
        block.AddRaw(first, kTagDescription, kAscii, textLength, DataAfterDirectory(entries));
    }
    block.Data(std::vector<uint8_t>(textLength, 'A'));
    return block.Tiff();
}

std::vector<uint8_t> ThousandsOfLinksToOneGpsDirectory(bool bigEndian) {
    ExifBlockBuilder block(bigEndian);
    int first = block.Directory();
    int gps = block.Directory();
    for (int i = 0; i < 3000; i++) block.AddLink(first, kTagGpsOffset, gps);
    block.Add(gps, 27, kUndefined, 20000, std::vector<uint8_t>(20000, 'G'));  // ProcessingMethod
    return block.Tiff();
}

// Two links to itself and a thumbnail: 31 directories would each decode it.
std::vector<uint8_t> ThumbnailBehindLoopingLinks(bool bigEndian) {
    ExifBlockBuilder block(bigEndian);
    int first = block.Directory();
    std::vector<uint8_t> jpeg = MakeTestJpeg(160, 120);
    jpeg.resize(60000, 0);  // padding after the end marker, as some writers leave
    int thumbnail = block.Data(jpeg);
    block.AddLink(first, kTagExifOffset, first).AddLink(first, kTagExifOffset, first);
    block.AddDataOffset(first, 0x0201, thumbnail);
    block.AddRaw(first, 0x0202, kLong, 1, static_cast<uint32_t>(jpeg.size()));
    return block.Tiff();
}

struct LoopingBlock {
    const char* name;
    std::function<std::vector<uint8_t>(bool)> build;
    std::string shownOnce;  // a line the walk shows before its budget runs out
};

TEST(ExifWalkBudget, LoopingLinksStopOnceAMegabyteIsShown) {
    const LoopingBlock blocks[] = {
        {"fan-out of self links", FanOutOfSelfLinks, "Map: 00008 - 24014: Directory(dir has 2000 entries)"},
        {"one text for thousands of entries", OneTextForThousandsOfEntries,
         "Map: 00008 - 30014: Directory(dir has 2500 entries)"},
        {"thousands of links to one GPS directory", ThousandsOfLinksToOneGpsDirectory, "    GPS Dir:"},
        {"thumbnail behind looping links", ThumbnailBehindLoopingLinks,
         "Map: 00008 - 00062: Directory(dir has 4 entries)"},
    };
    for (const LoopingBlock& looping : blocks) {
        for (bool bigEndian : {false, true}) {
            SCOPED_TRACE(std::string(looping.name) + (bigEndian ? ", Motorola" : ", Intel"));
            std::vector<uint8_t> tiff = looping.build(bigEndian);
            ExifRun run(tiff);
            std::vector<std::string> lines = run.Lines();
            EXPECT_EQ(CountLines(lines, kBudgetLine), 1);
            EXPECT_LT(run.Text().size(), kMostPaneBytes);
            EXPECT_GE(CountLinesHolding(lines, looping.shownOnce), 1);
            // The header's closing line: the walk returned.
            EXPECT_EQ(CountLines(lines, "Map: " + FormatText("%05d", static_cast<int>(tiff.size())) +
                                            " - End of exif"),
                      1);
        }
    }
}

TEST(ExifWalkBudget, ThumbnailMetAgainAndAgainIsDecodedOnlyWhileTheBudgetLasts) {
    ExifRun run(ThumbnailBehindLoopingLinks(false));
    // 31 directories hold the thumbnail; a megabyte pays for some of them.
    const int decoded = CountLinesHolding(run.Lines(), "(Thumbnail size: 60000 bytes)");
    EXPECT_GT(decoded, 0);
    EXPECT_LT(decoded, 20);
    EXPECT_EQ(CountLines(run.Lines(), kBudgetLine), 1);
    EXPECT_EQ(run.summary.thumbnailPixelWidth, 160);
}

// A directory linked to itself shows its long text at each of the five
// levels: a sound amount, shown whole.
TEST(ExifWalkBudget, SoundRepetitionIsShownWhole) {
    ExifBlockBuilder block(false);
    int first = block.Directory();
    block.Add(first, kTagDescription, kAscii, 20000, std::vector<uint8_t>(20000, 'T'));
    block.Next(first, first);
    ExifRun run(block.Tiff());
    std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(CountLinesHolding(lines, "ImageDescription = \"" + std::string(20000, 'T') + "\""), 5);
    EXPECT_EQ(CountLinesHolding(lines, "Maximum directory nesting exceeded"), 1);
    EXPECT_EQ(CountLines(lines, kBudgetLine), 0);
}

// The budget counts the bytes really shown: 2,700 short entries walked at
// five levels make about 0.4 MB, which a flat cost per line overcharged.
TEST(ExifWalkBudget, ThousandsOfShortEntriesAtEveryLevelAreShownWhole) {
    ExifBlockBuilder block(true);
    int first = block.Directory();
    for (int i = 0; i < 2700; i++) block.Add(first, 0x0100, kShort, 1, block.Shorts({7}));
    block.Next(first, first);
    ExifRun run(block.Tiff());
    std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(CountLinesHolding(lines, "ImageWidth = 7"), 5 * 2700);
    EXPECT_GT(run.Text().size(), 350u * 1024);
    EXPECT_EQ(CountLines(lines, kBudgetLine), 0);
}

// The budget belongs to one walk: a sound block after a spent one is whole.
TEST(ExifWalkBudget, EveryWalkStartsWithAFreshBudget) {
    { ExifRun spent(FanOutOfSelfLinks(true)); }
    ExifBlockBuilder block(true);
    int first = block.Directory();
    block.Add(first, 0x010F, kAscii, 6, ExifBlockBuilder::Ascii("Canon"));
    ExifRun run(block.Tiff());
    std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(CountLines(lines, "    Make = \"Canon\""), 1);
    EXPECT_EQ(CountLines(lines, kBudgetLine), 0);
    EXPECT_STREQ(run.summary.makeText, "Canon");
}

}  // namespace
