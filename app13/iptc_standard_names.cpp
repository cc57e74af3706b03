// The standard IPTC dataset names, found by binary search over one table
// sorted by record and dataset number.
#include "app13/iptc_standard_names.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

struct IptcName {
    uint8_t record;
    uint8_t dataset;
    const char* name;
};

// The records of IIM 4.2: 1 envelope, 2 application, 3 news photo, 7
// pre-object data, 8 object data, 9 post-object data. Record 2 also holds
// the datasets that imaging programs add past the IIM's own (2:184-188 and
// 2:221-255).
// In ascending (record, dataset) order, which the binary search relies on.
constexpr IptcName kIptcNames[] = {
    {1, 0, "EnvelopeRecordVersion"},
    {1, 5, "Destination"},
    {1, 20, "FileFormat"},
    {1, 22, "FileVersion"},
    {1, 30, "ServiceIdentifier"},
    {1, 40, "EnvelopeNumber"},
    {1, 50, "ProductID"},
    {1, 60, "EnvelopePriority"},
    {1, 70, "DateSent"},
    {1, 80, "TimeSent"},
    {1, 90, "CodedCharacterSet"},
    {1, 100, "UniqueObjectName"},
    {1, 120, "ARMIdentifier"},
    {1, 122, "ARMVersion"},
    {2, 0, "ApplicationRecordVersion"},
    {2, 3, "ObjectTypeReference"},
    {2, 4, "ObjectAttributeReference"},
    {2, 5, "ObjectName"},
    {2, 7, "EditStatus"},
    {2, 8, "EditorialUpdate"},
    {2, 10, "Urgency"},
    {2, 12, "SubjectReference"},
    {2, 15, "Category"},
    {2, 20, "SupplementalCategories"},
    {2, 22, "FixtureIdentifier"},
    {2, 25, "Keywords"},
    {2, 26, "ContentLocationCode"},
    {2, 27, "ContentLocationName"},
    {2, 30, "ReleaseDate"},
    {2, 35, "ReleaseTime"},
    {2, 37, "ExpirationDate"},
    {2, 38, "ExpirationTime"},
    {2, 40, "SpecialInstructions"},
    {2, 42, "ActionAdvised"},
    {2, 45, "ReferenceService"},
    {2, 47, "ReferenceDate"},
    {2, 50, "ReferenceNumber"},
    {2, 55, "DateCreated"},
    {2, 60, "TimeCreated"},
    {2, 62, "DigitalCreationDate"},
    {2, 63, "DigitalCreationTime"},
    {2, 65, "OriginatingProgram"},
    {2, 70, "ProgramVersion"},
    {2, 75, "ObjectCycle"},
    {2, 80, "By-line"},
    {2, 85, "By-lineTitle"},
    {2, 90, "City"},
    {2, 92, "Sub-location"},
    {2, 95, "Province-State"},
    {2, 100, "Country-PrimaryLocationCode"},
    {2, 101, "Country-PrimaryLocationName"},
    {2, 103, "OriginalTransmissionReference"},
    {2, 105, "Headline"},
    {2, 110, "Credit"},
    {2, 115, "Source"},
    {2, 116, "CopyrightNotice"},
    {2, 118, "Contact"},
    {2, 120, "Caption-Abstract"},
    {2, 121, "LocalCaption"},
    {2, 122, "Writer-Editor"},
    {2, 125, "RasterizedCaption"},
    {2, 130, "ImageType"},
    {2, 131, "ImageOrientation"},
    {2, 135, "LanguageIdentifier"},
    {2, 150, "AudioType"},
    {2, 151, "AudioSamplingRate"},
    {2, 152, "AudioSamplingResolution"},
    {2, 153, "AudioDuration"},
    {2, 154, "AudioOutcue"},
    {2, 184, "JobID"},
    {2, 185, "MasterDocumentID"},
    {2, 186, "ShortDocumentID"},
    {2, 187, "UniqueDocumentID"},
    {2, 188, "OwnerID"},
    {2, 200, "ObjectPreviewFileFormat"},
    {2, 201, "ObjectPreviewFileVersion"},
    {2, 202, "ObjectPreviewData"},
    {2, 221, "Prefs"},
    {2, 225, "ClassifyState"},
    {2, 228, "SimilarityIndex"},
    {2, 230, "DocumentNotes"},
    {2, 231, "DocumentHistory"},
    {2, 232, "ExifCameraInfo"},
    {2, 255, "CatalogSets"},
    {3, 0, "NewsPhotoVersion"},
    {3, 10, "IPTCPictureNumber"},
    {3, 20, "IPTCImageWidth"},
    {3, 30, "IPTCImageHeight"},
    {3, 40, "IPTCPixelWidth"},
    {3, 50, "IPTCPixelHeight"},
    {3, 55, "SupplementalType"},
    {3, 60, "ColorRepresentation"},
    {3, 64, "InterchangeColorSpace"},
    {3, 65, "ColorSequence"},
    {3, 66, "ICC_Profile"},
    {3, 70, "ColorCalibrationMatrix"},
    {3, 80, "LookupTable"},
    {3, 84, "NumIndexEntries"},
    {3, 85, "ColorPalette"},
    {3, 86, "IPTCBitsPerSample"},
    {3, 90, "SampleStructure"},
    {3, 100, "ScanningDirection"},
    {3, 102, "IPTCImageRotation"},
    {3, 110, "DataCompressionMethod"},
    {3, 120, "QuantizationMethod"},
    {3, 125, "EndPoints"},
    {3, 130, "ExcursionTolerance"},
    {3, 135, "BitsPerComponent"},
    {3, 140, "MaximumDensityRange"},
    {3, 145, "GammaCompensatedValue"},
    {7, 10, "SizeMode"},
    {7, 20, "MaxSubfileSize"},
    {7, 90, "ObjectSizeAnnounced"},
    {7, 95, "MaximumObjectSize"},
    {8, 10, "SubFile"},
    {9, 10, "ConfirmedObjectSize"},
};

// Record and dataset numbers are single bytes: one number orders both.
constexpr int KeyOf(int record, int dataset) { return record * 256 + dataset; }
constexpr int KeyOf(const IptcName& row) { return KeyOf(row.record, row.dataset); }

constexpr bool IsAscending() {
    for (size_t i = 1; i < std::size(kIptcNames); i++) {
        if (KeyOf(kIptcNames[i - 1]) >= KeyOf(kIptcNames[i])) return false;
    }
    return true;
}

// A name is a key in the data: it must not be empty or hold a blank.
constexpr bool AreKeys() {
    for (const IptcName& row : kIptcNames) {
        if (row.name[0] == '\0') return false;
        for (const char* c = row.name; *c != '\0'; c++) {
            if (*c == ' ') return false;
        }
    }
    return true;
}

static_assert(IsAscending(), "the IPTC names must be in ascending record and dataset order");
static_assert(AreKeys(), "an IPTC name is empty or holds a blank");

}  // namespace

const char* StandardIptcName(int record, int dataset) {
    if (record < 0 || record > 255 || dataset < 0 || dataset > 255) return nullptr;
    const int key = KeyOf(record, dataset);
    const IptcName* end = std::end(kIptcNames);
    const IptcName* found = std::lower_bound(std::begin(kIptcNames), end, key,
                                             [](const IptcName& row, int wanted) { return KeyOf(row) < wanted; });
    if (found == end || KeyOf(*found) != key) return nullptr;
    return found->name;
}
