// The named IPTC datasets of the envelope and application records.
#include "app13/iptc_dataset_table.h"

// Text rows carry the lengths the record allows; only the sign of the
// maximum is used, as the mark of text.
const IptcDatasetEntry IptcDatasetTable[kIptcDatasetCount] = {
    {1 * 256 + 0, "RecordVersion", 2, -1},
    {1 * 256 + 5, "Destination", 1, 1024},
    {1 * 256 + 20, "FileFormat", 2, -1},
    {1 * 256 + 22, "FileVersion", 2, -1},
    {1 * 256 + 30, "ServiceIdentifier", 0, 10},
    {1 * 256 + 40, "EnvelopeNumber", 8, 0},
    {1 * 256 + 50, "ProductID", 1, 32},
    {1 * 256 + 60, "EnvelopePriority", 1, 0},
    {1 * 256 + 70, "DateSent", 8, 0},
    {1 * 256 + 80, "TimeSent", 11, 11},
    {1 * 256 + 90, "CodedCharacterSet", 0, 32},
    {1 * 256 + 100, "UniqueObjectName", 14, 80},
    {1 * 256 + 120, "ARMIdentifier", 2, -1},
    {1 * 256 + 122, "ARMVersion", 2, -1},
    {2 * 256 + 0, "RecordVersion", 2, -1},
    {2 * 256 + 3, "ObjectTypeReference", 3, 67},
    {2 * 256 + 4, "ObjectAttributeReference", 4, 68},
    {2 * 256 + 5, "Object Name", 0, 64},
    {2 * 256 + 7, "EditStatus", 0, 64},
    {2 * 256 + 8, "EditorialUpdate", 2, 0},
    {2 * 256 + 10, "Urgency", 1, 0},
    {2 * 256 + 12, "SubjectReference", 13, 236},
    {2 * 256 + 15, "Category", 0, 3},
    {2 * 256 + 20, "SuplementalCategories", 0, 32},
    {2 * 256 + 22, "FixtureIdentifier", 0, 32},
    {2 * 256 + 25, "Keywords", 0, 64},
    {2 * 256 + 26, "LocationCode", 3, 3},
    {2 * 256 + 27, "LocationName", 0, 64},
    {2 * 256 + 30, "ReleaseDate", 8, 0},
    {2 * 256 + 35, "ReleaseTime", 11, 11},
    {2 * 256 + 37, "ExpirationDate", 8, 0},
    {2 * 256 + 38, "ExpirationTime", 11, 11},
    {2 * 256 + 40, "SpecialInstructions", 0, 256},
    {2 * 256 + 42, "ActionAdvised", 2, 0},
    {2 * 256 + 45, "ReferenceService", 10, 10},
    {2 * 256 + 47, "ReferenceDate", 8, 0},
    {2 * 256 + 50, "ReferenceNumber", 8, 0},
    {2 * 256 + 55, "DateCreated", 8, 0},
    {2 * 256 + 60, "TimeCreated", 11, 11},
    {2 * 256 + 62, "DigitalCreationDate", 8, 0},
    {2 * 256 + 63, "DigitalCreationTime", 11, 11},
    {2 * 256 + 65, "OriginatingProgram", 0, 32},
    {2 * 256 + 70, "ProgramVersion", 0, 10},
    {2 * 256 + 75, "ObjectCycle", 1, 1},
    {2 * 256 + 80, "Byline", 0, 32},
    {2 * 256 + 85, "Byline Title", 0, 32},
    {2 * 256 + 90, "City", 0, 32},
    {2 * 256 + 92, "Sub Location", 0, 32},
    {2 * 256 + 95, "ProvinceState", 0, 32},
    {2 * 256 + 100, "CountryPrimaryLocationCode", 3, 3},
    {2 * 256 + 101, "CountryPrimaryLocationName", 0, 64},
    {2 * 256 + 103, "OriginalTransmissionReference", 0, 32},
    {2 * 256 + 105, "Headline", 0, 256},
    {2 * 256 + 110, "Credit", 0, 32},
    {2 * 256 + 115, "Source", 0, 32},
    {2 * 256 + 116, "CopyrightNotice", 0, 128},
    {2 * 256 + 118, "Contact", 0, 128},
    {2 * 256 + 120, "CaptionAbstract", 0, 2000},
    {2 * 256 + 121, "CaptionAbstract", 0, 2000},
    {2 * 256 + 122, "WriterEditor", 0, 32},
    {2 * 256 + 125, "RasterisedCaption", 7360, 7360},
    {2 * 256 + 130, "Imagetype", 2, 2},
    {2 * 256 + 131, "ImageOrientation", 1, 1},
    {2 * 256 + 135, "LanguageIdentifier", 2, 3},
    {2 * 256 + 150, "AudioType", 2, 2},
    {2 * 256 + 151, "AudioSamplingRate", 6, 0},
    {2 * 256 + 152, "AudioSamplingResolution", 2, 0},
    {2 * 256 + 153, "AudioDuration", 6, 0},
    {2 * 256 + 154, "AudioOutcue", 0, 64},
    {2 * 256 + 184, "JobID", 0, 64},
    {2 * 256 + 185, "MasterDocumentID", 0, 256},
    {2 * 256 + 186, "ShortDocumentID", 0, 256},
    {2 * 256 + 187, "UniqueDocumentID", 0, 256},
    {2 * 256 + 188, "OwnerID", 0, 256},
    {2 * 256 + 200, "ObjectPreviewFileFormat", 2, -1},
    {2 * 256 + 201, "ObjectPreviewFileVersion", 2, -1},
    {2 * 256 + 202, "ObjectPreviewData", 0, 256000},
    {2 * 256 + 221, "Prefs", 0, 64},
    {2 * 256 + 225, "ClassifyState", 0, 64},
    {2 * 256 + 228, "ClassifyState", 0, 64},
    {2 * 256 + 230, "DocumentNotes", 0, 2000},
    {2 * 256 + 231, "DocumentHistory", 0, 2000},
    {2 * 256 + 232, "ExifCameraInfo", 0, 2000},
    {2 * 256 + 255, "CatalogSets", 0, 2000},
};

const IptcDatasetEntry* FindIptcDataset(int32_t tag) {
    for (const IptcDatasetEntry& entry : IptcDatasetTable) {
        if (entry.tag == tag) return &entry;
    }
    return nullptr;
}

IptcValueKind ValueKindOf(const IptcDatasetEntry& entry) {
    if (entry.maxLength < 0) return IptcValueKind::Number;
    if (entry.maxLength == 0) return IptcValueKind::Fixed;
    return IptcValueKind::Text;
}
