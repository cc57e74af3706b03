// The IPTC datasets of a Photoshop IPTC resource: tag marker 0x1C, record,
// dataset number, 16-bit big-endian length, value; no padding between.
#include <utility>

#include "app13/app13.h"
#include "app13/iptc_dataset_table.h"
#include "app13/iptc_value_line.h"
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

IptcKind KindOfDataset(const IptcDatasetEntry& entry) {
    switch (ValueKindOf(entry)) {
        case IptcValueKind::Number: return IptcKind::Number;
        case IptcValueKind::Fixed: return IptcKind::Fixed;
        case IptcValueKind::Text: return IptcKind::Text;
    }
    return IptcKind::Unknown;
}

// Keeps the dataset as data: its numbers, name and kind, and its bytes.
void KeepDataset(Analysis& analysis, const IptcDatasetEntry* entry, uint8_t record, uint8_t number, ByteView value) {
    IptcDatasetData kept;
    kept.record = record;
    kept.dataset = number;
    kept.name = entry != nullptr ? entry->name : nullptr;
    kept.kind = entry != nullptr ? KindOfDataset(*entry) : IptcKind::Unknown;
    kept.value.assign(reinterpret_cast<const char*>(value.data), value.size);
    analysis.decoded.iptcDatasets.push_back(std::move(kept));
}

// Shows one dataset whose header and value lie inside data. False when the
// record cannot be decoded, which ends the walk.
bool ShowDataset(Analysis& analysis, ByteView data, int64_t offset, uint8_t record, uint8_t number, uint16_t length) {
    Report& report = analysis.report;
    int32_t tag = record * 256 + number;
    const RecordHeading* heading = FindRecordHeading(record);
    if (heading != nullptr) AppendReport(report, heading->heading);
    if (heading == nullptr || !heading->decoded) {
        ReportNonfatal(report, "IPTC recordid mismatch(8)%02x\r\n", tag);
        return false;
    }
    ByteView value;
    SubView(data, offset + kDatasetHeaderBytes, length, &value);
    const IptcDatasetEntry* entry = FindIptcDataset(tag);
    KeepDataset(analysis, entry, record, number, value);
    if (entry == nullptr) {
        ReportErrorLine(report, "Unrecognised IPTC tag: %d\r\n", tag);
        return true;
    }
    AppendReportFormat(report, "%s = ", entry->name);
    ShowIptcValue(report, *entry, TailView(data, offset + kDatasetHeaderBytes), length);
    return true;
}

}  // namespace

bool DecodeIptcRecords(Analysis& analysis, ByteView data) {
    Report& report = analysis.report;
    int64_t end = static_cast<int64_t>(data.size);
    int64_t offset = 0;
    while (offset < end) {
        if (!ViewHas(data, offset, kDatasetHeaderBytes)) {
            ReportNonfatal(report, "IPTC length mismatch(6)%d\r\n", static_cast<int32_t>(offset - end));
            return false;
        }
        uint8_t marker = 0;
        uint8_t record = 0;
        uint8_t number = 0;
        uint16_t length = 0;
        ReadU8(data, offset, &marker);
        if (marker != kTagMarker) {
            ReportNonfatal(report, "IPTC marker mismatch(7)%02x\r\n", marker);
            return false;
        }
        ReadU8(data, offset + 1, &record);
        ReadU8(data, offset + 2, &number);
        ReadU16At(data, offset + 3, true, &length);
        // The extended-length form is not recognised: the top bit is part
        // of the length, which then runs past the data.
        if (!ViewHas(data, offset + kDatasetHeaderBytes, length)) {
            ReportNonfatal(report, "IPTC length mismatch(9)\r\n");
            return false;
        }
        if (!ShowDataset(analysis, data, offset, record, number, length)) return false;
        offset += kDatasetHeaderBytes + length;
    }
    return true;
}
