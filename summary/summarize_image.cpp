// The summary: the sensor width and 35 mm focal length derived from the
// record, and the summary lines of the Jpeg pane.
#include "summary/summarize_image.h"

#include <cstring>
#include <string>

#include "core/file_facts.h"
#include "report/report.h"

namespace {

const char* const kOrientationNames[] = {
    "Undefined", "Normal", "flip horizontal", "rotate 180", "flip vertical",
    "transpose", "rotate 90", "transverse", "rotate 270",
};

struct CodeText {
    int code;
    const char* text;
};

const CodeText kFlashSuffixes[] = {
    {5, "(Strobe light not detected)"},
    {7, "(Strobe light detected) "},
    {9, "(manual)"},
    {13, "(manual, return light not detected)"},
    {15, "(manual, return light  detected)"},
    {25, "(auto)"},
    {29, "(auto, return light not detected)"},
    {31, "(auto, return light detected)"},
    {65, "(red eye reduction mode)"},
    {69, "(red eye reduction mode return light not detected)"},
    {71, "(red eye reduction mode return light  detected)"},
    {73, "(manual, red eye reduction mode)"},
    {77, "(manual, red eye reduction mode, return light not detected)"},
    {79, "(red eye reduction mode, return light detected)"},
    {89, "(auto, red eye reduction mode)"},
    {93, "(auto, red eye reduction mode, return light not detected)"},
    {95, "(auto, red eye reduction mode, return light detected)"},
};

const CodeText kLightSourceLines[] = {
    {1, "Light source : Daylight\r\n"},
    {2, "Light source : Fluorescent\r\n"},
    {3, "Light source : Incandescent\r\n"},
    {4, "Light source : Flash\r\n"},
    {9, "Light source : Fine weather\r\n"},
    {11, "Light source : Shade\r\n"},
};

const CodeText kMeteringLines[] = {
    {2, "Metering mode: center weight\r\n"},
    {3, "Metering mode: spot\r\n"},
    {5, "Metering mode: matrix\r\n"},
};

const CodeText kExposureProgramLines[] = {
    {1, "Exposure     : Manual\r\n"},
    {2, "Exposure     : program(auto)\r\n"},
    {3, "Exposure     : aperture priority(semi - auto)\r\n"},
    {4, "Exposure     : shutter priority(semi - auto)\r\n"},
    {5, "Exposure     : Creative Program(based towards depth of field)\r\n"},
    {6, "Exposure     : Action program(based towards fast shutter speed)\r\n"},
    {7, "Exposure     : Portrait Mode\r\n"},
    {8, "Exposure     : LandscapeMode \r\n"},
};

const CodeText kExposureModeLines[] = {
    {1, "Exposure mode: Manual\r\n"},
    {2, "Exposure mode: Auto bracketing\r\n"},
};

const CodeText kWhiteBalanceLines[] = {
    {0, "Whitebalance : Auto\r\n"},
    {1, "Whitebalance : Manual\r\n"},
};

template <size_t N>
const char* FindCodeText(const CodeText (&table)[N], int code) {
    for (const CodeText& entry : table) {
        if (entry.code == code) return entry.text;
    }
    return nullptr;
}

template <size_t N>
void AppendCodeLine(Report& report, const CodeText (&table)[N], int code) {
    const char* line = FindCodeText(table, code);
    if (line != nullptr) AppendReport(report, line);
}

void AppendFlashLine(Report& report, int flashCode) {
    std::string line;
    if (flashCode & 1) {
        const char* suffix = FindCodeText(kFlashSuffixes, flashCode);
        line = std::string("Flash used   : Yes") + (suffix ? suffix : "(Unknown)");
    } else {
        line = std::string("Flash used   : No") + (flashCode == 24 ? "(auto)" : "");
    }
    AppendReportText(report, line + "\r\n");
}

void AppendExposureLine(Report& report, float exposureSeconds) {
    double e = exposureSeconds;
    if (e < 0.01) {
        AppendReportFormat(report, "Exposure time: %6.4f s \r\n", e);
    } else if (e <= 0.5) {
        AppendReportFormat(report, "Exposure time: %5.3f s (1/%d)\r\n", e, static_cast<int>(1.0 / e + 0.5));
    } else {
        AppendReportFormat(report, "Exposure time: %5.3f s \r\n", e);
    }
}

// The comment is split at line feeds, each piece a line of its own; CRs
// are dropped, and a line feed that ends the text adds no empty line.
void AppendCommentLines(Report& report, const char* comment) {
    const std::string label = "Comment      : ";
    std::string line = label;
    size_t length = strnlen(comment, 2000);
    for (size_t i = 0; i < length; i++) {
        char c = comment[i];
        if (c == '\r') continue;
        if (c == '\n') {
            if (i + 1 == length) continue;
            AppendReportText(report, line + "\r\n");
            line = label;
            continue;
        }
        line += c;
    }
    AppendReportText(report, line + "\r\n");
}

}  // namespace

void DeriveSensorValues(ImageSummary& summary) {
    if (summary.focalPlanePixelsPerUnit == 0) return;
    int32_t largest = summary.exifPixelWidth > summary.exifPixelHeight ? summary.exifPixelWidth
                                                                       : summary.exifPixelHeight;
    summary.sensorWidthMm =
        static_cast<float>(largest * summary.focalPlaneUnitMm / summary.focalPlanePixelsPerUnit);
    // A zero width has no 35 mm equivalent: the short focal-length line stays.
    if (summary.focalLengthMm != 0 && summary.focal35mm == 0 && summary.sensorWidthMm != 0) {
        double equivalent = static_cast<double>(summary.focalLengthMm) / summary.sensorWidthMm * 36 + 0.5;
        if (equivalent > -2147483648.0 && equivalent < 2147483648.0) {
            summary.focal35mm = static_cast<int32_t>(equivalent);
        }
    }
}

void PrintSummaryLines(Report& report, const ImageSummary& s) {
    // Text alone: no line of it is kept as data, and no walk's budget
    // counts it, so with no pane to see it nothing need be made.
    if (report.sink == nullptr) return;
    AppendReportFormat(report, "File name    : %s\r\n", s.sourcePath.c_str());
    // Bytes in memory or a stream may come without a size or a date:
    // what is not known is left out, not made up.
    if (s.fileLengthKnown) {
        AppendReportFormat(report, "File size    : %llu bytes\r\n", static_cast<unsigned long long>(s.fileLength));
    }
    if (s.modifiedTimeKnown) {
        CalendarTime date = FileTimeToLocalCalendar(s.modifiedTime);
        AppendReportFormat(report, "File date    : %02d:%02d:%02d %02d:%02d:%02d\r\n", date.year, date.month,
                           date.day, date.hour, date.minute, date.second);
    }
    // A JPEG's summary is as it always was; other files say what they are.
    if (s.fileType != FileType::Jpeg && s.fileType != FileType::Unknown) {
        AppendReportFormat(report, "File type    : %s\r\n", FileTypeName(s.fileType));
    }
    if (s.makeText[0]) AppendReportFormat(report, "Camera make  : %s\r\n", s.makeText);
    if (s.modelText[0]) AppendReportFormat(report, "Camera model : %s\r\n", s.modelText);
    if (s.shotTimeText[0]) AppendReportFormat(report, "Date time    : %s\r\n", s.shotTimeText);
    AppendReportFormat(report, "Resolution   : %d x %d\r\n", s.pixelWidth, s.pixelHeight);
    if (s.orientationCode > 1 && s.orientationCode <= 8) {
        AppendReportFormat(report, "Orientation  : %s\r\n", kOrientationNames[s.orientationCode]);
    }
    if (s.colourImage == 0) AppendReport(report, "Color/bw     : Black and white\r\n");
    if (s.flashCode >= 0) AppendFlashLine(report, s.flashCode);
    if (s.focalLengthMm != 0) {
        if (s.focal35mm != 0) {
            AppendReportFormat(report, "Focal length : %4.1fmm (35mm equivalent: %dmm)\r\n",
                               static_cast<double>(s.focalLengthMm), s.focal35mm);
        } else {
            AppendReportFormat(report, "Focal length : %4.1fmm\r\n", static_cast<double>(s.focalLengthMm));
        }
    }
    if (s.digitalZoom > 1) AppendReportFormat(report, "Digital zoom : %1.3fx\r\n", static_cast<double>(s.digitalZoom));
    if (s.sensorWidthMm != 0) AppendReportFormat(report, "CCD width    : %4.2fmm\r\n", static_cast<double>(s.sensorWidthMm));
    if (s.exposureSeconds != 0) AppendExposureLine(report, s.exposureSeconds);
    if (s.fStop != 0) AppendReportFormat(report, "Aperture     : f/%3.1f\r\n", static_cast<double>(s.fStop));
    if (s.subjectDistanceM < 0) {
        AppendReport(report, "Focus dist.  : Infinite\r\n");
    } else if (s.subjectDistanceM > 0) {
        AppendReportFormat(report, "Focus dist.  : %4.2fm\r\n", static_cast<double>(s.subjectDistanceM));
    }
    if (s.isoSpeed != 0) AppendReportFormat(report, "ISO equiv.   : %2d\r\n", s.isoSpeed);
    if (s.exposureBiasEv != 0) AppendReportFormat(report, "Exposure bias: %4.2f\r\n", static_cast<double>(s.exposureBiasEv));
    AppendCodeLine(report, kWhiteBalanceLines, s.whiteBalanceCode);
    AppendCodeLine(report, kLightSourceLines, s.lightSourceCode);
    AppendCodeLine(report, kMeteringLines, s.meteringCode);
    AppendCodeLine(report, kExposureProgramLines, s.exposureProgramCode);
    AppendCodeLine(report, kExposureModeLines, s.exposureModeCode);
    if (s.subjectRangeCode != 0) {
        static const CodeText kRanges[] = {
            {1, "Focus range  : macro\r\n"}, {2, "Focus range  : close\r\n"}, {3, "Focus range  : distant\r\n"}};
        const char* line = FindCodeText(kRanges, s.subjectRangeCode);
        AppendReport(report, line ? line : "Focus range  : unknown\r\n");
    }
    if (s.gpsPresent) {
        AppendReportFormat(report, "GPS latitude : %s\r\n", s.gpsLatitudeText);
        AppendReportFormat(report, "GPS longitude: %s\r\n", s.gpsLongitudeText);
        if (s.gpsAltitudeText[0]) AppendReportFormat(report, "GPS altitude : %s\r\n", s.gpsAltitudeText);
    }
    if (s.commentText[0]) AppendCommentLines(report, s.commentText);
    if (s.iptcBytes > 0) AppendReportFormat(report, "IPTC sec size: %d\r\n", s.iptcBytes);
    if (s.xmpBytes > 0) AppendReportFormat(report, "XMP sec size : %d\r\n", s.xmpBytes);
    if (s.thumbnailBytes != 0) AppendReportFormat(report, "Thumbnailsize: %d\r\n", s.thumbnailBytes);
    if (s.thumbnailPixelWidth > 0 && s.thumbnailPixelHeight > 0) {
        AppendReportFormat(report, "Thumbnail res: %d x %d\r\n", s.thumbnailPixelWidth, s.thumbnailPixelHeight);
    }
}
