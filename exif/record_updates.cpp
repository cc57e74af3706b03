// What the entries of the EXIF directories put into the summary record.
#include "exif/record_updates.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "exif/tag_numbers.h"
#include "exif/value_format.h"
#include "report/report.h"

namespace {

constexpr size_t kMakeLimit = 31;
constexpr size_t kModelLimit = 39;
constexpr size_t kDateLimit = 19;
constexpr size_t kCommentLimit = 2000;
constexpr size_t kUserCommentLimit = 1999;
constexpr size_t kAsciiCommentLimit = 199;
constexpr int kLastOrientation = 8;

// An early encoding stored the speed as a single digit in units of 200.
// No camera uses 1 to 9 as a speed, while phones really store 20 to 40 in
// daylight, so only the single digits are scaled.
constexpr int64_t kHighestScaledIso = 9;
constexpr int64_t kSmallIsoFactor = 200;

double EntryNumber(Analysis& analysis, const DirectoryEntry& entry) {
    return ValueAsDouble(analysis.report, entry.format, entry.valueToBlockEnd, analysis.summary.bigEndian);
}

int32_t EntryInteger(Analysis& analysis, const DirectoryEntry& entry) {
    return DoubleToInt32(EntryNumber(analysis, entry));
}

size_t Smaller(int64_t byteCount, size_t limit) {
    return byteCount < static_cast<int64_t>(limit) ? static_cast<size_t>(byteCount) : limit;
}

bool StartsWithDigit(const char* text) { return text[0] >= '0' && text[0] <= '9'; }

void CopyDate(ImageSummary& summary, const DirectoryEntry& entry) {
    CopyTextField(summary.shotTimeText, sizeof summary.shotTimeText, entry.valueToBlockEnd, kDateLimit);
}

void UpdateOrientation(Analysis& analysis, const DirectoryEntry& entry) {
    ImageSummary& summary = analysis.summary;
    // The main image and its thumbnail each carry one; a third is corrupt.
    if (summary.orientationTagsSeen >= 2) {
        ReportNonfatal(analysis.report, "More than two orientation tags!\r\n");
        return;
    }
    if (summary.orientationTagsSeen == 0) summary.orientationCode = EntryInteger(analysis, entry);
    if (summary.orientationCode < 0 || summary.orientationCode > kLastOrientation) {
        ReportNonfatal(analysis.report, "Undefined rotation value %d\r\n", summary.orientationCode);
        summary.orientationCode = 0;
    }
    summary.orientationTagsSeen++;
}

void UpdateIsoSpeed(Analysis& analysis, const DirectoryEntry& entry) {
    ImageSummary& summary = analysis.summary;
    int64_t speed = EntryInteger(analysis, entry);
    if (speed >= 1 && speed <= kHighestScaledIso) speed *= kSmallIsoFactor;
    summary.isoSpeed = DoubleToInt32(static_cast<double>(speed));
}

double FocalPlaneUnitMm(int32_t code) {
    switch (code) {
        case 1:
        case 2:
            return 25.4;
        case 3:
            return 10.0;
        case 4:
            return 1.0;
        case 5:
            return 0.001;
        default:
            return -1;
    }
}

// The value's own bytes, as a copy: the trailing blanks are cleared in it.
std::vector<uint8_t> ValueBytes(const DirectoryEntry& entry) {
    ByteView bytes;
    if (!SubView(entry.value, 0, entry.byteCount, &bytes)) return {};
    return std::vector<uint8_t>(bytes.data, bytes.data + bytes.size);
}

void StoreUserComment(Analysis& analysis, const DirectoryEntry& entry) {
    ImageSummary& summary = analysis.summary;
    if (summary.commentText[0] != '\0') {
        ReportMessage(analysis.report, "Multiple comments in exif header\r\n");
        return;
    }
    std::vector<uint8_t> comment = ValueBytes(entry);
    for (size_t i = comment.size(); i > 0 && comment[i - 1] == ' '; i--) comment[i - 1] = 0;
    ByteView view = MakeView(comment);
    // An 8-byte character code leads the text; after "ASCII" the text
    // starts at the first byte of the code's padding that is not blank.
    if (ViewMatches(view, 0, "ASCII", 5)) {
        for (int64_t i = 5; i < 10; i++) {
            uint8_t byte = 0;
            if (!ReadU8(view, i, &byte)) break;
            if (byte != 0 && byte != ' ') {
                CopyTextField(summary.commentText, sizeof summary.commentText, TailView(view, i), kAsciiCommentLimit);
                break;
            }
        }
        return;
    }
    CopyTextField(summary.commentText, sizeof summary.commentText, view, kUserCommentLimit);
}

void StoreXpComment(Analysis& analysis, const DirectoryEntry& entry) {
    ImageSummary& summary = analysis.summary;
    if (summary.commentText[0] != '\0') {
        ReportMessage(analysis.report, "Windows XP commend and other comment in header\r\n");
        return;
    }
    if (entry.byteCount <= 1) return;
    // The tag holds UTF-16LE; the record holds 8-bit text, so it is stored
    // as the pane shows it rather than as raw units, whose zero high bytes
    // would end the text after its first character.
    std::string text = Utf16ValueText(entry.value, entry.byteCount);
    CopyTextField(summary.commentText, sizeof summary.commentText,
                  MakeView(reinterpret_cast<const uint8_t*>(text.data()), text.size()), kCommentLimit);
}

}  // namespace

void ApplyRecordUpdate(Analysis& analysis, const DirectoryEntry& entry) {
    ImageSummary& summary = analysis.summary;
    switch (entry.tag) {
        case kTagMake:
            CopyTextField(summary.makeText, sizeof summary.makeText, entry.valueToBlockEnd,
                          Smaller(entry.byteCount, kMakeLimit));
            break;
        case kTagModel:
            CopyTextField(summary.modelText, sizeof summary.modelText, entry.valueToBlockEnd,
                          Smaller(entry.byteCount, kModelLimit));
            break;
        case kTagOrientation:
            UpdateOrientation(analysis, entry);
            break;
        case kTagDateTime:
        case kTagDateTimeDigitized:
            if (!StartsWithDigit(summary.shotTimeText)) CopyDate(summary, entry);
            break;
        case kTagDateTimeOriginal:  // wins over the other two
            CopyDate(summary, entry);
            break;
        case kTagExposureTime:
            summary.exposureSeconds = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagFNumber:
            summary.fStop = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagExposureProgram:
            summary.exposureProgramCode = EntryInteger(analysis, entry);
            break;
        case kTagIsoSpeedRatings:
            UpdateIsoSpeed(analysis, entry);
            break;
        case kTagShutterSpeedValue:  // an APEX value: 2^-v seconds
            if (summary.exposureSeconds == 0) {
                summary.exposureSeconds =
                    DoubleToFloat(1 / std::exp(EntryNumber(analysis, entry) * std::log(2.0)));
            }
            break;
        case kTagApertureValue:  // APEX values: f = 2^(v/2)
        case kTagMaxApertureValue:
            if (summary.fStop == 0) {
                summary.fStop = DoubleToFloat(std::exp(EntryNumber(analysis, entry) * std::log(2.0) * 0.5));
            }
            break;
        case kTagExposureBiasValue:
            summary.exposureBiasEv = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagSubjectDistance:
            summary.subjectDistanceM = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagMeteringMode:
            summary.meteringCode = EntryInteger(analysis, entry);
            break;
        case kTagLightSource:
            summary.lightSourceCode = EntryInteger(analysis, entry);
            break;
        case kTagFlash:
            summary.flashCode = EntryInteger(analysis, entry);
            break;
        case kTagFocalLength:
            summary.focalLengthMm = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagUserComment:
            StoreUserComment(analysis, entry);
            break;
        case kTagXpComment:
            StoreXpComment(analysis, entry);
            break;
        case kTagExifImageWidth:
            summary.exifPixelWidth = EntryInteger(analysis, entry);
            break;
        case kTagExifImageHeight:
            summary.exifPixelHeight = EntryInteger(analysis, entry);
            break;
        case kTagFocalPlaneXResolution:
            summary.focalPlanePixelsPerUnit = EntryNumber(analysis, entry);
            break;
        case kTagFocalPlaneResolutionUnit: {
            double unitMm = FocalPlaneUnitMm(EntryInteger(analysis, entry));
            if (unitMm > 0) summary.focalPlaneUnitMm = unitMm;
            break;
        }
        case kTagExposureIndex:
            if (summary.isoSpeed == 0) summary.isoSpeed = EntryInteger(analysis, entry);
            break;
        case kTagExposureMode:
            summary.exposureModeCode = EntryInteger(analysis, entry);
            break;
        case kTagWhiteBalance:
            summary.whiteBalanceCode = EntryInteger(analysis, entry);
            break;
        case kTagDigitalZoomRatio:
            summary.digitalZoom = DoubleToFloat(EntryNumber(analysis, entry));
            break;
        case kTagFocalLengthIn35mmFilm:
            summary.focal35mm = EntryInteger(analysis, entry);
            break;
        case kTagSubjectDistanceRange:
            summary.subjectRangeCode = EntryInteger(analysis, entry);
            break;
        default:
            break;
    }
}
