// The standard IPTC names against exiftool's: pictures whose envelope and
// application records exiftool writes itself, read back by exiftool and by
// the walk. exiftool gives each dataset's number but not its record, so the
// two sides compare as sets of (dataset number, name).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analyze/analyze_file.h"
#include "app13/iptc_standard_names.h"
#include "support/exiftool_posix.h"
#include "support/flat_jpeg.h"
#include "support/report_capture.h"

namespace {

// One picture per record: the datasets exiftool writes (values as numbers,
// -n), and how many distinct datasets it must read back at least.
struct WrittenRecord {
    const char* label;
    const char* datasets;
    size_t fewest;
};

const WrittenRecord kRecords[] = {
    {"envelope",
     "-IPTC:EnvelopeRecordVersion=4 -IPTC:Destination=D -IPTC:FileFormat=1 -IPTC:FileVersion=2 "
     "-IPTC:ServiceIdentifier=S -IPTC:EnvelopeNumber=12345678 -IPTC:ProductID=P -IPTC:EnvelopePriority=5 "
     "-IPTC:DateSent=20240102 -IPTC:TimeSent=030405+0900 -IPTC:CodedCharacterSet=UTF8 "
     "-IPTC:UniqueObjectName=UniqueObjectName -IPTC:ARMIdentifier=1 -IPTC:ARMVersion=2",
     14},
    {"application",
     "-IPTC:ObjectTypeReference=01:News -IPTC:ObjectAttributeReference=001:Current -IPTC:ObjectName=O "
     "-IPTC:EditStatus=E -IPTC:EditorialUpdate=01 -IPTC:Urgency=5 -IPTC:SubjectReference=IPTC:01000000 "
     "-IPTC:Category=CAT -IPTC:SupplementalCategories=S1 -IPTC:SupplementalCategories=S2 -IPTC:FixtureIdentifier=F "
     "-IPTC:Keywords=K1 -IPTC:Keywords=K2 -IPTC:ContentLocationCode=JPN -IPTC:ContentLocationName=Japan "
     "-IPTC:ReleaseDate=20240102 -IPTC:ReleaseTime=030405+0900 -IPTC:ExpirationDate=20250102 "
     "-IPTC:ExpirationTime=030405+0900 -IPTC:SpecialInstructions=I -IPTC:ActionAdvised=01 "
     "-IPTC:ReferenceService=R -IPTC:ReferenceDate=20240102 -IPTC:ReferenceNumber=12345678 "
     "-IPTC:DateCreated=20240102 -IPTC:TimeCreated=030405+0900 -IPTC:DigitalCreationDate=20240102 "
     "-IPTC:DigitalCreationTime=030405+0900 -IPTC:OriginatingProgram=P -IPTC:ProgramVersion=1 -IPTC:ObjectCycle=a "
     "-IPTC:By-line=B -IPTC:By-lineTitle=T -IPTC:City=C -IPTC:Sub-location=L -IPTC:Province-State=P "
     "-IPTC:Country-PrimaryLocationCode=JPN -IPTC:Country-PrimaryLocationName=Japan "
     "-IPTC:OriginalTransmissionReference=R -IPTC:Headline=H -IPTC:Credit=C -IPTC:Source=S "
     "-IPTC:CopyrightNotice=C -IPTC:Contact=C -IPTC:Caption-Abstract=A -IPTC:LocalCaption=A -IPTC:Writer-Editor=W "
     "-IPTC:ImageType=1P -IPTC:ImageOrientation=L -IPTC:LanguageIdentifier=en -IPTC:AudioType=1A "
     "-IPTC:AudioSamplingRate=044100 -IPTC:AudioSamplingResolution=16 -IPTC:AudioDuration=000102 "
     "-IPTC:AudioOutcue=O -IPTC:JobID=J -IPTC:MasterDocumentID=M -IPTC:ShortDocumentID=S -IPTC:UniqueDocumentID=U "
     "-IPTC:OwnerID=O -IPTC:ObjectPreviewFileFormat=1 -IPTC:ObjectPreviewFileVersion=1 -IPTC:Prefs=0:0:0:0 "
     "-IPTC:ClassifyState=C -IPTC:SimilarityIndex=S -IPTC:DocumentNotes=N -IPTC:DocumentHistory=H "
     "-IPTC:ExifCameraInfo=E -IPTC:CatalogSets=C",
     68},
};

using NamedDatasets = std::set<std::pair<int, std::string>>;

TEST(IptcStandardNames, AgreeWithExiftoolOnEveryDatasetItWrites) {
    SKIP_WITHOUT_EXIFTOOL();
    const std::string base = WriteTempFile(FlatJpeg(8, 8), "iptc-names-base.jpg");
    for (const WrittenRecord& record : kRecords) {
        const std::string path =
            WriteWithExiftool(base, record.datasets, std::string("iptc-names-") + record.label + ".jpg");
        std::vector<PeerTag> peer;
        ASSERT_TRUE(ReadExiftoolTags(path, &peer)) << record.label;
        NamedDatasets theirs;
        for (const PeerTag& tag : peer) {
            if (tag.group == "IPTC") theirs.insert({tag.id, tag.name});
        }

        ReportCapture capture;
        ASSERT_TRUE(AnalyzeFile(capture.analysis, path.c_str())) << path;
        NamedDatasets ours;
        for (const IptcDatasetData& dataset : capture.analysis.decoded.iptcDatasets) {
            const char* name = StandardIptcName(dataset.record, dataset.dataset);
            ours.insert({dataset.dataset, name != nullptr ? name : "(none)"});
        }
        EXPECT_EQ(ours, theirs) << record.label;
        EXPECT_GE(theirs.size(), record.fewest) << record.label << ": exiftool wrote fewer datasets than asked";
    }
}

}  // namespace
