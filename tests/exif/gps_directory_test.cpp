#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "exif/gps_directory.h"
#include "exif_block_builder.h"

namespace {

using namespace exif_test;

const bool kBothOrders[] = {false, true};

// IFD0 links to a GPS directory that fill() fills.
ExifBlockBuilder GpsBlock(bool bigEndian, const std::function<void(ExifBlockBuilder&, int)>& fill) {
    ExifBlockBuilder block(bigEndian);
    int main = block.Directory();
    int gps = block.Directory();
    block.AddLink(main, 0x8825, gps);
    fill(block, gps);
    return block;
}

TEST(GpsDirectory, EmptyDirectoryStillCountsAsPresent) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block = GpsBlock(bigEndian, [](ExifBlockBuilder&, int) {});
        ExifRun run(block.Tiff());
        const std::vector<std::string> expected = {
            "Exif header 40 bytes",
            bigEndian ? "Exif section in Motorola order" : "Exif section in Intel order",
            "Map: 00008 - 00026: Directory(dir has 1 entries)",
            "    GPS Dir offset = 26",
            "    GPS Dir:",
            "    Map: 00026 - 00032: Directory(dir has 0 entries)",
            "Map: 00032 - End of exif",
        };
        EXPECT_EQ(run.Lines(), expected);
        EXPECT_EQ(run.summary.gpsPresent, 1);
        EXPECT_STREQ(run.summary.gpsLatitudeText, "? ?");
        EXPECT_STREQ(run.summary.gpsLongitudeText, "? ?");
        EXPECT_STREQ(run.summary.gpsAltitudeText, "");
    }
}

TEST(GpsDirectory, PositionTextsAndLines) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block = GpsBlock(bigEndian, [](ExifBlockBuilder& b, int gps) {
            b.Add(gps, 0, kByte, 4, {2, 2, 0, 0});
            b.Add(gps, 1, kAscii, 2, ExifBlockBuilder::Ascii("N"));
            b.Add(gps, 2, kRational, 3, b.Rationals({{35, 1}, {39, 1}, {271, 10}}));
            b.Add(gps, 3, kAscii, 2, ExifBlockBuilder::Ascii("W"));
            b.Add(gps, 4, kRational, 3, b.Rationals({{139, 1}, {4410, 100}, {0, 1}}));
            b.Add(gps, 6, kRational, 1, b.Rationals({{1234, 10}}));
        });
        ExifRun run(block.Tiff());
        EXPECT_STREQ(run.summary.gpsLatitudeText, "N ?  35d 39m 27.1s");
        EXPECT_STREQ(run.summary.gpsLongitudeText, "W ?  139d 44.10m  0s");
        EXPECT_STREQ(run.summary.gpsAltitudeText, " 123.40m");
        // The same position as numbers, west negative.
        const GpsPosition& position = run.capture.analysis.decoded.gps;
        EXPECT_NEAR(position.latitude, 35 + 39 / 60.0 + 27.1 / 3600, 1e-12);
        EXPECT_NEAR(position.longitude, -(139 + 44.1 / 60), 1e-12);
        EXPECT_DOUBLE_EQ(position.altitude, 123.4);
        EXPECT_TRUE(run.HasLine("        GPSVersionID        = 02,02,00,00"));
        EXPECT_TRUE(run.HasLine("        GPSLatitudeRef      = \"N\""));
        EXPECT_TRUE(run.HasLine("        GPSLatitude         = 35/1,39/1,271/10"));
        EXPECT_TRUE(run.HasLine("        GPSAltitude         = 1234/10"));
        EXPECT_EQ(run.Red(), "");
    }
}

TEST(GpsDirectory, CoordinatePrecisionFollowsEachDenominator) {
    struct Case {
        uint32_t denominator;
        const char* seconds;  // the seconds field for a numerator of 3 times the denominator + 1
    };
    const Case cases[] = {
        {1, " 4s"},          // width 2, no decimals
        {10, " 3.1s"},       // width 4, one decimal
        {100, " 3.01s"},     // width 5
        {60, " 3.02s"},      // two divisions by 10 before reaching 0
        {1000000, " 3.000001s"},
        {100000000, " 3.000000s"},  // at most 6 decimals
        {0, " 0s"},          // a zero denominator is the value 0
    };
    for (const Case& c : cases) {
        ExifBlockBuilder b(true);
        std::vector<uint8_t> value = b.Rationals({{1, 1}, {2, 1}, {3 * c.denominator + 1, c.denominator}});
        Report report;
        double degrees = 0;
        std::string text = GpsCoordinateText(report, MakeView(value), 5, 1, &degrees);
        EXPECT_EQ(text, std::string(" 1d  2m ") + c.seconds) << c.denominator;
        const double seconds = c.denominator == 0 ? 0 : double(3 * c.denominator + 1) / c.denominator;
        EXPECT_NEAR(degrees, 1 + 2 / 60.0 + seconds / 3600, 1e-12) << c.denominator;
    }
}

TEST(GpsDirectory, CoordinateOfAnotherFormatIsStillBuilt) {
    for (bool bigEndian : kBothOrders) {
        ExifBlockBuilder block = GpsBlock(bigEndian, [](ExifBlockBuilder& b, int gps) {
            b.Add(gps, 2, kSRational, 3, b.Rationals({{0xFFFFFFF6, 1}, {30, 1}, {0, 1}}));
        });
        ExifRun run(block.Tiff());
        EXPECT_EQ(run.Red(), "Nonfatal Error : Inappropriate format(10) for GPS coordinates!\r\n");
        EXPECT_STREQ(run.summary.gpsLatitudeText, "? ?  -10d 30m  0s");
        EXPECT_TRUE(run.HasLine("        GPSLatitude         = -10/1,30/1,0/1"));
    }
}

TEST(GpsDirectory, CoordinateTextNeverOverrunsItsMember) {
    ExifBlockBuilder block = GpsBlock(false, [](ExifBlockBuilder& b, int gps) {
        b.Add(gps, 1, kAscii, 2, ExifBlockBuilder::Ascii("S"));
        b.Add(gps, 2, kRational, 3, b.Rationals({{2000000000, 1000000}, {2000000000, 1000000}, {2000000000, 1000000}}));
    });
    ExifRun run(block.Tiff());
    EXPECT_STREQ(run.summary.gpsLatitudeText, "S ?  2000.000000d 2000.000000m");
    EXPECT_EQ(std::strlen(run.summary.gpsLatitudeText), sizeof run.summary.gpsLatitudeText - 1);
}

TEST(GpsDirectory, AltitudeBelowSeaLevelWhicheverTagComesFirst) {
    struct Case {
        const char* name;
        std::vector<int> order;  // 5: AltitudeRef, 6: Altitude
        unsigned reference;
        const char* expected;
    };
    const Case cases[] = {
        {"above, reference first", {5, 6}, 0, " 12.50m"},
        {"below, reference first", {5, 6}, 1, " -12.50m"},
        {"below, altitude first", {6, 5}, 1, " -12.50m"},
        {"above, altitude first", {6, 5}, 0, " 12.50m"},
        {"altitude alone", {6}, 0, " 12.50m"},
        {"reference alone", {5}, 1, " "},
    };
    for (bool bigEndian : kBothOrders) {
        for (const Case& c : cases) {
            ExifBlockBuilder block = GpsBlock(bigEndian, [&c](ExifBlockBuilder& b, int gps) {
                for (int tag : c.order) {
                    if (tag == 5) b.Add(gps, 5, kByte, 1, {static_cast<uint8_t>(c.reference)});
                    if (tag == 6) b.Add(gps, 6, kRational, 1, b.Rationals({{25, 2}}));
                }
            });
            ExifRun run(block.Tiff());
            EXPECT_STREQ(run.summary.gpsAltitudeText, c.expected) << c.name;
            const GpsPosition& position = run.capture.analysis.decoded.gps;
            EXPECT_EQ(position.hasAltitude, c.expected[1] != '\0') << c.name;
            if (position.hasAltitude) {
                EXPECT_DOUBLE_EQ(position.altitude, std::atof(c.expected)) << c.name;
            }
        }
    }
}

TEST(GpsDirectory, AbsurdAltitudeKeepsItsMagnitude) {
    ExifBlockBuilder block = GpsBlock(true, [](ExifBlockBuilder& b, int gps) {
        ByteBuilder d;
        d.bigEndian = false;  // DOUBLE is stored in Intel order
        const double huge = 1.5e200;
        uint64_t bits = 0;
        std::memcpy(&bits, &huge, sizeof bits);
        d.U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
        b.Add(gps, 6, kDouble, 1, d.bytes);
    });
    ExifRun run(block.Tiff());
    EXPECT_STREQ(run.summary.gpsAltitudeText, " 1.5e+200m");
}

TEST(GpsDirectory, BadEntriesAreSkippedOrEndTheDirectory) {
    struct Case {
        const char* name;
        std::function<void(ExifBlockBuilder&, int)> fill;
        const char* red;
        const char* latitude;
    };
    const Case cases[] = {
        {"tag 31 has no name",
         [](ExifBlockBuilder& b, int gps) { b.Add(gps, 31, kShort, 1, b.Shorts({7})); },
         "        Illegal GPS tag 001f = 7\r\n", "? ?"},
        {"format 13",
         [](ExifBlockBuilder& b, int gps) {
             b.AddRaw(gps, 1, 13, 1, 0);
             b.Add(gps, 1, kAscii, 2, ExifBlockBuilder::Ascii("S"));
         },
         "Nonfatal Error : Illegal number format 13 for tag 0001\r\n", "S ?"},
        {"value outside the block",
         [](ExifBlockBuilder& b, int gps) {
             b.AddRaw(gps, 2, kRational, 3, 0x1000);
             b.Add(gps, 3, kAscii, 2, ExifBlockBuilder::Ascii("E"));
         },
         "Nonfatal Error : Illegal value pointer for tag 0002\r\n", "? ?"},
        {"huge component count",
         [](ExifBlockBuilder& b, int gps) { b.AddRaw(gps, 2, kRational, 0xFFFFFFFF, 8); },
         "Nonfatal Error : Illegal value pointer for tag 0002\r\n", "? ?"},
    };
    for (const Case& c : cases) {
        ExifRun run(GpsBlock(true, c.fill).Tiff());
        EXPECT_EQ(run.Red(), c.red) << c.name;
        EXPECT_STREQ(run.summary.gpsLatitudeText, c.latitude) << c.name;
    }
}

TEST(GpsDirectory, EntriesPastTheBlockEndStopTheDirectory) {
    // A GPS directory that claims 3 entries but is cut after the first.
    ExifBlockBuilder block(false);
    int main = block.Directory();
    int gps = block.Directory();
    block.AddLink(main, 0x8825, gps);
    block.Add(gps, 1, kAscii, 2, ExifBlockBuilder::Ascii("N"));
    block.Add(gps, 5, kByte, 1, {0});
    block.Add(gps, 6, kShort, 1, block.Shorts({3}));
    std::vector<uint8_t> tiff = block.Tiff();
    tiff.resize(static_cast<size_t>(block.DirectoryOffset(gps)) + 2 + 12 + 5);
    ExifRun run(tiff);
    EXPECT_EQ(run.Red(), "Nonfatal Error : GPS sei directory goes past end of exif\r\n");
    EXPECT_STREQ(run.summary.gpsLatitudeText, "N ?");
    EXPECT_STREQ(run.summary.gpsAltitudeText, "");
}

TEST(GpsDirectory, LinkToTheBlockEndReadsNothing) {
    ExifBlockBuilder probe(true);
    probe.Directory();
    const uint32_t blockLength = static_cast<uint32_t>(probe.Tiff().size()) + 12;
    ExifBlockBuilder block(true);
    int dir = block.Directory();
    block.AddRaw(dir, 0x8825, kLong, 1, blockLength);
    ExifRun run(block.Tiff());
    EXPECT_TRUE(run.HasLine("    GPS Dir:"));
    EXPECT_EQ(run.Red(), "Nonfatal Error : GPS sei directory goes past end of exif\r\n");
    EXPECT_EQ(run.summary.gpsPresent, 0);
}

}  // namespace
