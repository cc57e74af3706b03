// The IPTC datasets of a Photoshop IPTC resource: tag marker 0x1C, record,
// dataset number, 16-bit big-endian length, value; no padding between.
#include "iptc/iptc.h"
#include "iptc/iptc_dataset_table.h"
#include "iptc/iptc_value_line.h"
#include "report/report.h"

namespace {

constexpr uint8_t kTagMarker = 0x1C;
constexpr int64_t kDatasetHeaderBytes = 5;

struct RecordHeading {
    int record;
    const char* heading;
    bool decoded;  // only the envelope and application records are shown
};

const RecordHeading RecordHeadings[] = {
    {1, "EnvelopeRecord\r\n", true},  {2, "ApplicationRecord\r\n", true}, {3, "NewsPhoto\r\n", false},
    {7, "PreObjectData\r\n", false},  {8, "ObjectData\r\n", false},       {9, "PostObjectData\r\n", false},
    {240, "FotoStation\r\n", false},
};

const RecordHeading* FindRecordHeading(int record) {
    for (const RecordHeading& entry : RecordHeadings) {
        if (entry.record == record) return &entry;
    }
    return nullptr;
}

// Shows one dataset whose header and value lie inside data. False when the
// record cannot be decoded, which ends the walk.
bool ShowDataset(ByteView data, int64_t offset, uint8_t record, uint8_t number, uint16_t length) {
    int32_t tag = record * 256 + number;
    const RecordHeading* heading = FindRecordHeading(record);
    if (heading != nullptr) AppendReport(heading->heading);
    if (heading == nullptr || !heading->decoded) {
        ReportNonfatal("IPTC recordid mismatch(8)%02x\r\n", tag, 0);
        return false;
    }
    const IptcDatasetEntry* entry = FindIptcDataset(tag);
    if (entry == nullptr) {
        SetReportColor(kColorRed);
        AppendReportFormat("Unrecognised IPTC tag: %d\r\n", tag);
        SetReportColor(kColorBlack);
        return true;
    }
    AppendReportFormat("%s = ", entry->name);
    ShowIptcValue(*entry, TailView(data, offset + kDatasetHeaderBytes), length);
    return true;
}

}  // namespace

int DecodeIptcRecords(ByteView data) {
    int64_t end = static_cast<int64_t>(data.size);
    int64_t offset = 0;
    while (offset < end) {
        if (!ViewHas(data, offset, kDatasetHeaderBytes)) {
            ReportNonfatal("IPTC length mismatch(6)%d\r\n", static_cast<int32_t>(offset - end), 0);
            return 0;
        }
        uint8_t marker = 0;
        uint8_t record = 0;
        uint8_t number = 0;
        uint16_t length = 0;
        ReadU8(data, offset, &marker);
        if (marker != kTagMarker) {
            ReportNonfatal("IPTC marker mismatch(7)%02x\r\n", marker, 0);
            return 0;
        }
        ReadU8(data, offset + 1, &record);
        ReadU8(data, offset + 2, &number);
        ReadU16At(data, offset + 3, true, &length);
        // The extended-length form is not recognised: the top bit is part
        // of the length, which then runs past the data.
        if (!ViewHas(data, offset + kDatasetHeaderBytes, length)) {
            ReportNonfatal("IPTC length mismatch(9)\r\n", 0, 0);
            return 0;
        }
        if (!ShowDataset(data, offset, record, number, length)) return 0;
        offset += kDatasetHeaderBytes + length;
    }
    return 1;
}
