// The IPTC datasets of the envelope (1) and application (2) records that
// have a name, and how each value is shown.
#pragma once

#include <cstdint>

struct IptcDatasetEntry {
    int32_t tag;        // record * 256 + dataset number
    char name[64];
    int32_t minLength;  // number: 2; fixed: the bytes shown; text: the least the record allows
    int32_t maxLength;  // -1: 16-bit number; 0: fixed-size field of minLength bytes; >0: text
};

constexpr int kIptcDatasetCount = 84;
extern const IptcDatasetEntry IptcDatasetTable[kIptcDatasetCount];

enum class IptcValueKind { Number, Fixed, Text };

// Linear search, first match wins; nullptr for a dataset with no name here.
const IptcDatasetEntry* FindIptcDataset(int32_t tag);
IptcValueKind ValueKindOf(const IptcDatasetEntry& entry);
