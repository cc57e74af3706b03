// The standard tag names against exiftool's: pictures that exiftool writes
// itself, read back by exiftool and by the walk; every EXIF and GPS tag that
// exiftool names must have that name in the directory the walk found it in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analyze/analyze_file.h"
#include "app13/iptc_standard_names.h"
#include "facts/fact_table.h"
#include "exif/standard_tag_names.h"
#include "support/exiftool_posix.h"
#include "support/flat_jpeg.h"
#include "support/report_capture.h"

namespace {

struct ExiftoolGroup {
    const char* group;  // exiftool's family-1 group
    DirectoryKind directory;
};

const ExiftoolGroup kGroups[] = {
    {"IFD0", DirectoryKind::Ifd0},         {"ExifIFD", DirectoryKind::Exif}, {"InteropIFD", DirectoryKind::Interop},
    {"GPS", DirectoryKind::Gps},           {"IFD1", DirectoryKind::Ifd1},
};

// One picture per directory: the tags exiftool writes into it (values as
// numbers, -n), and how many of them it must read back there at least.
struct WrittenPicture {
    const char* group;
    const char* tags;
    int fewest;
};

const WrittenPicture kPictures[] = {
    {"IFD0",
     "-Make=M -Model=B -Software=S -ModifyDate='2024:01:02 03:04:05' -Artist=A -Copyright=C -ImageDescription=D "
     "-Orientation=1 -XResolution=72 -YResolution=72 -ResolutionUnit=2 -YCbCrPositioning=1 -HostComputer=H "
     "-DocumentName=N -PageName=P -IFD0:Rating=3 -IFD0:RatingPercent=50 -XPTitle=T -XPComment=C -XPAuthor=A -XPKeywords=K "
     "-XPSubject=S -WhitePoint='0.3 0.3' -PrimaryChromaticities='0.6 0.3 0.3 0.6 0.1 0.1' "
     "-YCbCrCoefficients='0.299 0.587 0.114' -ReferenceBlackWhite='0 255 128 255 128 255'",
     26},
    {"ExifIFD",
     "-ExposureTime=0.01 -FNumber=2.8 -ExposureProgram=1 -ISO=100 -SensitivityType=2 -StandardOutputSensitivity=100 "
     "-RecommendedExposureIndex=100 -ISOSpeed=100 -ExifVersion=0232 -DateTimeOriginal='2024:01:02 03:04:05' "
     "-CreateDate='2024:01:02 03:04:05' -OffsetTime=+09:00 -OffsetTimeOriginal=+09:00 -OffsetTimeDigitized=+09:00 "
     "-ComponentsConfiguration='1 2 3 0' -ShutterSpeedValue=0.01 -ApertureValue=2.8 -BrightnessValue=1 "
     "-ExposureCompensation=0 -MaxApertureValue=2 -SubjectDistance=3 -MeteringMode=5 -LightSource=1 -ExifIFD:Flash=1 "
     "-FocalLength=50 -SubjectArea='1 2' -UserComment=U -SubSecTime=1 -SubSecTimeOriginal=1 -SubSecTimeDigitized=1 "
     "-AmbientTemperature=20 -Humidity=50 -Pressure=1000 -WaterDepth=1 -Acceleration=1 -CameraElevationAngle=1 "
     "-FlashpixVersion=0100 -ColorSpace=1 -ExifImageWidth=8 -ExifImageHeight=8 -FocalPlaneXResolution=1 "
     "-FocalPlaneYResolution=1 -FocalPlaneResolutionUnit=2 -SubjectLocation='1 2' -ExposureIndex=1 -SensingMethod=2 "
     "-FileSource=3 -SceneType=1 -CustomRendered=0 -ExposureMode=0 -WhiteBalance=0 -DigitalZoomRatio=1 "
     "-FocalLengthIn35mmFormat=50 -SceneCaptureType=0 -GainControl=0 -Contrast=0 -Saturation=0 -Sharpness=0 "
     "-SubjectDistanceRange=0 -ImageUniqueID=0123456789abcdef0123456789abcdef -OwnerName=O -SerialNumber=1 "
     "-LensInfo='50 50 2 2' -LensMake=L -LensModel=M -LensSerialNumber=2 -CompositeImage=1 "
     "-CompositeImageCount='1 1' -Gamma=2.2 -SpectralSensitivity=S",
     70},
    {"InteropIFD",
     "-InteropIndex=R98 -InteropVersion=0100 -RelatedImageFileFormat=F -RelatedImageWidth=8 -RelatedImageHeight=8", 5},
    {"GPS",
     "-GPSVersionID='2 3 0 0' -GPSLatitudeRef=N -GPSLatitude=1 -GPSLongitudeRef=E -GPSLongitude=2 -GPSAltitudeRef=0 "
     "-GPSAltitude=3 -GPSTimeStamp=01:02:03 -GPSSatellites=4 -GPSStatus=A -GPSMeasureMode=3 -GPSDOP=1 -GPSSpeedRef=K "
     "-GPSSpeed=1 -GPSTrackRef=T -GPSTrack=1 -GPSImgDirectionRef=T -GPSImgDirection=1 -GPSMapDatum=W "
     "-GPSDestLatitudeRef=N -GPSDestLatitude=1 -GPSDestLongitudeRef=E -GPSDestLongitude=1 -GPSDestBearingRef=T "
     "-GPSDestBearing=1 -GPSDestDistanceRef=K -GPSDestDistance=1 -GPSProcessingMethod=GPS -GPSAreaInformation=A "
     "-GPSDateStamp=2024:01:02 -GPSDifferential=0 -GPSHPositioningError=1",
     32},
    {"IFD1", "-IFD1:XResolution=72 -IFD1:YResolution=72 -IFD1:ResolutionUnit=2", 6},
};

// The walk's standard name of the entry with that tag in that directory;
// "(no entry)" when the walk did not find one.
std::string OwnName(const DecodedData& data, DirectoryKind directory, uint16_t tag) {
    for (const ExifEntryData& entry : data.exifEntries) {
        if (entry.directory != directory || entry.tag != tag) continue;
        const char* name = StandardExifTagName(directory, tag);
        return name != nullptr ? name : "(none)";
    }
    return "(no entry)";
}

TEST(StandardTagNames, AgreeWithExiftoolOnEveryTagItWrites) {
    SKIP_WITHOUT_EXIFTOOL();
    const std::string base = WriteTempFile(FlatJpeg(8, 8), "names-base.jpg");
    const std::string thumbnail = WriteTempFile(FlatJpeg(16, 16), "names-thumbnail.jpg");
    for (const WrittenPicture& picture : kPictures) {
        const std::string path = WriteWithExiftool(base, "'-ThumbnailImage<=" + thumbnail + "' " + picture.tags,
                                                   std::string("names-") + picture.group + ".jpg");
        std::vector<PeerTag> peer;
        ASSERT_TRUE(ReadExiftoolTags(path, &peer)) << picture.group;
        ReportCapture capture;
        ASSERT_TRUE(AnalyzeFile(capture.analysis, path.c_str())) << path;

        int named = 0;
        for (const PeerTag& theirs : peer) {
            for (const ExiftoolGroup& known : kGroups) {
                if (theirs.group != known.group) continue;
                const uint16_t tag = static_cast<uint16_t>(theirs.id);
                EXPECT_EQ(OwnName(capture.analysis.decoded, known.directory, tag), theirs.name)
                    << picture.group << " picture, " << theirs.group << " tag 0x" << std::hex << tag;
                if (theirs.group == picture.group) named++;
            }
        }
        EXPECT_GE(named, picture.fewest) << picture.group << ": exiftool wrote fewer tags than asked";
    }
}

// The data copies these names between quotes without escaping them: each
// must be printable ASCII without a quote or a backslash.
bool IsPlain(const char* name) {
    for (const char* c = name; *c != '\0'; c++) {
        if (*c < 0x20 || *c > 0x7E || *c == '"' || *c == '\\') return false;
    }
    return true;
}

TEST(StandardTagNames, EveryNameTheDataCopiesAsItStandsIsPlainAscii) {
    for (DirectoryKind directory : {DirectoryKind::Ifd0, DirectoryKind::Exif, DirectoryKind::Interop,
                                    DirectoryKind::Gps, DirectoryKind::Ifd1, DirectoryKind::SubIfd}) {
        EXPECT_TRUE(IsPlain(DirectoryKindName(directory)));
        for (uint32_t tag = 0; tag <= 0xFFFF; tag++) {
            const char* name = StandardExifTagName(directory, static_cast<uint16_t>(tag));
            if (name != nullptr) {
                EXPECT_TRUE(IsPlain(name)) << name;
            }
        }
    }
    for (int record = 0; record < 256; record++) {
        for (int dataset = 0; dataset < 256; dataset++) {
            const char* name = StandardIptcName(record, dataset);
            if (name != nullptr) {
                EXPECT_TRUE(IsPlain(name)) << name;
            }
        }
    }
    for (size_t i = 0; i < kFactCount; i++) EXPECT_TRUE(IsPlain(FactRow(i).key)) << FactRow(i).key;
}

}  // namespace
