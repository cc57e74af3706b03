#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "summary/summarize_image.h"
#include "support/report_capture.h"

namespace {

// The summary lines after the file name, size and date, for a record that
// starts as a colour frame of 640 x 480 with nothing else and is then changed.
std::string LinesAfterDate(const std::function<void(ImageSummary&)>& change) {
    std::unique_ptr<ImageSummary> summary(new ImageSummary);
    ResetImageSummary(*summary);
    summary->sourcePath = "a.jpg";
    summary->fileLengthKnown = true;
    summary->modifiedTimeKnown = true;
    summary->pixelWidth = 640;
    summary->pixelHeight = 480;
    summary->colourImage = 1;
    change(*summary);
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Jpeg);
    PrintSummaryLines(capture.report(), *summary);
    const std::string& text = capture.Text(ReportPane::Jpeg);
    size_t dateLine = text.find("File date    : ");
    size_t afterDate = text.find("\r\n", dateLine) + 2;
    size_t resolution = text.find("Resolution   : 640 x 480\r\n", afterDate);
    std::string head = text.substr(afterDate, resolution - afterDate);
    std::string tail = text.substr(resolution + std::strlen("Resolution   : 640 x 480\r\n"));
    return head + "|" + tail;
}

struct LineCase {
    const char* name;
    std::function<void(ImageSummary&)> change;
    const char* expected;  // lines before "Resolution", '|', lines after it
};

}  // namespace

TEST(SummaryLines, FlashCodes) {
    const LineCase cases[] = {
        {"absent", [](ImageSummary&) {}, "|"},
        {"0", [](ImageSummary& s) { s.flashCode = 0; }, "|Flash used   : No\r\n"},
        {"16", [](ImageSummary& s) { s.flashCode = 16; }, "|Flash used   : No\r\n"},
        {"24", [](ImageSummary& s) { s.flashCode = 24; }, "|Flash used   : No(auto)\r\n"},
        {"25", [](ImageSummary& s) { s.flashCode = 25; }, "|Flash used   : Yes(auto)\r\n"},
        {"1", [](ImageSummary& s) { s.flashCode = 1; }, "|Flash used   : Yes(Unknown)\r\n"},
        {"7", [](ImageSummary& s) { s.flashCode = 7; }, "|Flash used   : Yes(Strobe light detected) \r\n"},
        {"15", [](ImageSummary& s) { s.flashCode = 15; }, "|Flash used   : Yes(manual, return light  detected)\r\n"},
        {"95", [](ImageSummary& s) { s.flashCode = 95; },
         "|Flash used   : Yes(auto, red eye reduction mode, return light detected)\r\n"},
        {"97", [](ImageSummary& s) { s.flashCode = 97; }, "|Flash used   : Yes(Unknown)\r\n"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(LinesAfterDate(c.change), c.expected) << c.name;
}

TEST(SummaryLines, ExposureForms) {
    const LineCase cases[] = {
        // 1/100 s stored as a float is just below the double 0.01.
        {"1/100", [](ImageSummary& s) { s.exposureSeconds = 1.0f / 100; }, "|Exposure time: 0.0100 s \r\n"},
        {"1/4000", [](ImageSummary& s) { s.exposureSeconds = 1.0f / 4000; }, "|Exposure time: 0.0003 s \r\n"},
        {"1/60", [](ImageSummary& s) { s.exposureSeconds = 1.0f / 60; }, "|Exposure time: 0.017 s (1/60)\r\n"},
        {"0.5", [](ImageSummary& s) { s.exposureSeconds = 0.5f; }, "|Exposure time: 0.500 s (1/2)\r\n"},
        {"2", [](ImageSummary& s) { s.exposureSeconds = 2.0f; }, "|Exposure time: 2.000 s \r\n"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(LinesAfterDate(c.change), c.expected) << c.name;
}

TEST(SummaryLines, CameraSettingLines) {
    const LineCase cases[] = {
        {"make model date", [](ImageSummary& s) {
             std::strcpy(s.makeText, "Canon");
             std::strcpy(s.modelText, "EOS 40D");
             std::strcpy(s.shotTimeText, "2008:05:30 15:56:01");
         },
         "Camera make  : Canon\r\nCamera model : EOS 40D\r\nDate time    : 2008:05:30 15:56:01\r\n|"},
        {"black and white", [](ImageSummary& s) { s.colourImage = 0; }, "|Color/bw     : Black and white\r\n"},
        {"orientation 1", [](ImageSummary& s) { s.orientationCode = 1; }, "|"},
        {"orientation 6", [](ImageSummary& s) { s.orientationCode = 6; }, "|Orientation  : rotate 90\r\n"},
        {"orientation 8", [](ImageSummary& s) { s.orientationCode = 8; }, "|Orientation  : rotate 270\r\n"},
        {"focal short", [](ImageSummary& s) { s.focalLengthMm = 7.1f; }, "|Focal length :  7.1mm\r\n"},
        {"focal long", [](ImageSummary& s) { s.focalLengthMm = 50; s.focal35mm = 80; },
         "|Focal length : 50.0mm (35mm equivalent: 80mm)\r\n"},
        {"zoom 1", [](ImageSummary& s) { s.digitalZoom = 1; }, "|"},
        {"zoom 2", [](ImageSummary& s) { s.digitalZoom = 2; }, "|Digital zoom : 2.000x\r\n"},
        {"aperture", [](ImageSummary& s) { s.fStop = 2.8f; }, "|Aperture     : f/2.8\r\n"},
        {"infinite", [](ImageSummary& s) { s.subjectDistanceM = -1; }, "|Focus dist.  : Infinite\r\n"},
        {"distance", [](ImageSummary& s) { s.subjectDistanceM = 1.5f; }, "|Focus dist.  : 1.50m\r\n"},
        {"iso", [](ImageSummary& s) { s.isoSpeed = 100; }, "|ISO equiv.   : 100\r\n"},
        {"iso narrow", [](ImageSummary& s) { s.isoSpeed = 8; }, "|ISO equiv.   :  8\r\n"},
        {"bias", [](ImageSummary& s) { s.exposureBiasEv = -0.67f; }, "|Exposure bias: -0.67\r\n"},
        {"white balance auto", [](ImageSummary& s) { s.whiteBalanceCode = 0; }, "|Whitebalance : Auto\r\n"},
        {"white balance 2", [](ImageSummary& s) { s.whiteBalanceCode = 2; }, "|"},
        {"light shade", [](ImageSummary& s) { s.lightSourceCode = 11; }, "|Light source : Shade\r\n"},
        {"light 10", [](ImageSummary& s) { s.lightSourceCode = 10; }, "|"},
        {"metering matrix", [](ImageSummary& s) { s.meteringCode = 5; }, "|Metering mode: matrix\r\n"},
        {"metering 1", [](ImageSummary& s) { s.meteringCode = 1; }, "|"},
        {"program 8", [](ImageSummary& s) { s.exposureProgramCode = 8; }, "|Exposure     : LandscapeMode \r\n"},
        {"program 9", [](ImageSummary& s) { s.exposureProgramCode = 9; }, "|"},
        {"mode bracketing", [](ImageSummary& s) { s.exposureModeCode = 2; }, "|Exposure mode: Auto bracketing\r\n"},
        {"range distant", [](ImageSummary& s) { s.subjectRangeCode = 3; }, "|Focus range  : distant\r\n"},
        {"range 7", [](ImageSummary& s) { s.subjectRangeCode = 7; }, "|Focus range  : unknown\r\n"},
        {"sections", [](ImageSummary& s) {
             s.iptcBytes = 300;
             s.xmpBytes = 4000;
             s.thumbnailBytes = 5000;
             s.thumbnailPixelWidth = 160;
             s.thumbnailPixelHeight = 120;
         },
         "|IPTC sec size: 300\r\nXMP sec size : 4000\r\nThumbnailsize: 5000\r\nThumbnail res: 160 x 120\r\n"},
        {"thumbnail height 0", [](ImageSummary& s) { s.thumbnailPixelWidth = 160; }, "|"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(LinesAfterDate(c.change), c.expected) << c.name;
}

TEST(SummaryLines, GpsLines) {
    const LineCase cases[] = {
        {"no gps", [](ImageSummary& s) { std::strcpy(s.gpsLatitudeText, "N ?  35d"); }, "|"},
        {"gps without altitude", [](ImageSummary& s) {
             s.gpsPresent = 1;
             std::strcpy(s.gpsLatitudeText, "? ?");
             std::strcpy(s.gpsLongitudeText, "? ?");
         },
         "|GPS latitude : ? ?\r\nGPS longitude: ? ?\r\n"},
        {"gps with altitude", [](ImageSummary& s) {
             s.gpsPresent = 1;
             std::strcpy(s.gpsLatitudeText, "N ?  35d");
             std::strcpy(s.gpsLongitudeText, "E ?  139d");
             std::strcpy(s.gpsAltitudeText, " 123.40m");
         },
         "|GPS latitude : N ?  35d\r\nGPS longitude: E ?  139d\r\nGPS altitude :  123.40m\r\n"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(LinesAfterDate(c.change), c.expected) << c.name;
}

TEST(SummaryLines, CommentSplitting) {
    struct CommentCase {
        const char* comment;
        const char* lines;
    };
    const CommentCase cases[] = {
        {"one line", "|Comment      : one line\r\n"},
        {"first\r\nsecond\r\n", "|Comment      : first\r\nComment      : second\r\n"},
        {"\n", "|Comment      : \r\n"},
        {"a\n\nb", "|Comment      : a\r\nComment      : \r\nComment      : b\r\n"},
        {"tab\tand \xE6\x97\xA5", "|Comment      : tab\tand \xE6\x97\xA5\r\n"},
    };
    for (const CommentCase& c : cases) {
        EXPECT_EQ(LinesAfterDate([&](ImageSummary& s) { std::strcpy(s.commentText, c.comment); }), c.lines)
            << c.comment;
    }
}

TEST(SummaryDerivation, SensorWidthAnd35mmEquivalent) {
    struct DerivationCase {
        const char* name;
        float focal;
        int32_t given35, width, height;
        double unitMm, pixelsPerUnit;
        float sensor;
        int32_t expected35;
    };
    const DerivationCase cases[] = {
        {"derived", 7.1f, 0, 640, 480, 1.0, 100, 6.4f, 40},
        {"portrait uses the larger side", 7.1f, 0, 480, 640, 1.0, 100, 6.4f, 40},
        {"file's own 35 mm kept", 7.1f, 50, 640, 480, 1.0, 100, 6.4f, 50},
        {"no focal length", 0, 0, 640, 480, 1.0, 100, 6.4f, 0},
        {"no focal plane resolution", 7.1f, 0, 640, 480, 25.4, 0, 0, 0},
        {"inches", 5.8f, 0, 2272, 1704, 25.4, 8114.2857, 7.112f, 29},
        {"zero width has no equivalent", 7.1f, 0, 0, 0, 1.0, 100, 0, 0},
        {"unknown unit has no width", 7.1f, 0, 640, 480, 0, 100, 0, 0},
    };
    for (const DerivationCase& c : cases) {
        std::unique_ptr<ImageSummary> s(new ImageSummary);
        ResetImageSummary(*s);
        s->focalLengthMm = c.focal;
        s->focal35mm = c.given35;
        s->exifPixelWidth = c.width;
        s->exifPixelHeight = c.height;
        s->focalPlaneUnitMm = c.unitMm;
        s->focalPlanePixelsPerUnit = c.pixelsPerUnit;
        DeriveSensorValues(*s);
        EXPECT_NEAR(s->sensorWidthMm, c.sensor, 1e-4) << c.name;
        EXPECT_EQ(s->focal35mm, c.expected35) << c.name;
    }
}

TEST(SummaryDerivation, DerivedValuesReachTheirLines) {
    std::string lines = LinesAfterDate([](ImageSummary& s) {
        s.focalLengthMm = 7.1f;
        s.exifPixelWidth = 640;
        s.exifPixelHeight = 480;
        s.focalPlaneUnitMm = 1.0;
        s.focalPlanePixelsPerUnit = 100;
        DeriveSensorValues(s);
    });
    EXPECT_EQ(lines, "|Focal length :  7.1mm (35mm equivalent: 40mm)\r\nCCD width    : 6.40mm\r\n");
}
