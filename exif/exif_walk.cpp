// What every directory of an EXIF walk does with its entries.
#include "exif/exif_walk.h"

#include <charconv>
#include <utility>

#include "exif/value_format.h"
#include "report/report.h"

namespace {

// More components than this mark a corrupt entry.
constexpr uint32_t kMostComponents = 0x10000;

}  // namespace

ExifWalk StartExifWalk(Analysis& analysis, ByteView block) {
    ExifWalk walk{analysis, block, ExifWalkBudget{}};
    StartExifWalkBudget(walk.budget, analysis.report);
    return walk;
}

bool ReadCheckedEntry(ExifWalk& walk, int64_t entryOffset, bool checkComponentCount, DirectoryEntry* entry) {
    Report& report = walk.analysis.report;
    const int bigEndian = walk.analysis.summary.bigEndian;
    *entry = ReadDirectoryEntry(walk.block, entryOffset, bigEndian);
    if (entry->format < kLowestFormat || entry->format > kHighestFormat) {
        ReportNonfatal(report, "Illegal number format %d for tag %04x\r\n", entry->format, entry->tag);
        return false;
    }
    if (checkComponentCount && static_cast<uint32_t>(entry->componentCount) > kMostComponents) {
        ReportNonfatal(report, "Illegal number of components %d for tag %04x\r\n", entry->componentCount,
                       entry->tag);
        return false;
    }
    if (!LocateEntryValue(walk.block, entryOffset, bigEndian, *entry)) {
        ReportNonfatal(report, "Illegal value pointer for tag %04x\r\n", entry->tag);
        return false;
    }
    return true;
}

bool CountEntry(ExifWalk& walk, size_t labelBytes, size_t valueBytes, bool named, size_t keptBytes) {
    Report& report = walk.analysis.report;
    // "<label> = <value>\r\n"
    const size_t lineBytes = labelBytes + 3 + valueBytes + 2;
    if (!ExifWalkBudgetAllows(walk.budget, report, lineBytes + keptBytes)) return false;
    if (!named) SetReportColor(report, kColorRed);
    CountReportText(report, lineBytes);
    SetReportColor(report, kColorBlack);
    return true;
}

bool ShowEntry(ExifWalk& walk, std::string label, const std::string& value, bool named, size_t keptBytes) {
    Report& report = walk.analysis.report;
    if (report.sink == nullptr) return CountEntry(walk, label.size(), value.size(), named, keptBytes);
    if (!ExifWalkBudgetAllows(walk.budget, report, EntryLineBytes(label, value) + keptBytes)) return false;
    if (!named) SetReportColor(report, kColorRed);
    ShowEntryLine(report, std::move(label), value);
    return true;
}

void KeepEntry(ExifWalk& walk, const DirectoryEntry& entry, DirectoryKind directory, const char* name,
               bool withValue) {
    DecodedData& data = walk.analysis.decoded;
    ExifEntryData kept;
    kept.directory = directory;
    kept.tag = entry.tag;
    kept.name = name;
    kept.format = entry.format;
    kept.count = static_cast<uint32_t>(entry.componentCount);
    kept.valueOffset = entry.valueOffset;
    kept.kind = withValue ? AddValuesToData(data, entry.value, walk.analysis.summary.bigEndian, entry.format,
                                            kept.count, &kept.values)
                          : ValueKind::Omitted;
    data.exifEntries.push_back(kept);
    ChargeExifWalkBudget(walk.budget, withValue ? DataBytesOfValues(entry.format, kept.count) : 0);
}

// The characters of printf's "%0*d" of number at width.
size_t DecimalBytes(int number, size_t width) {
    char digits[16];
    const size_t bytes = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
    return bytes > width ? bytes : width;
}

void ShowDirectoryMap(ExifWalk& walk, const std::string& indent, int64_t directoryOffset, int entryCount) {
    Report& report = walk.analysis.report;
    const int first = static_cast<int>(directoryOffset);
    const int last = static_cast<int>(directoryOffset + 2 + kEntrySize * entryCount + 4);
    if (report.sink == nullptr) {
        // "<indent>Map: 00000 - 00000: Directory(dir has N entries)\r\n", counted.
        CountReportText(report, indent.size() + 5 + DecimalBytes(first, 5) + 3 + DecimalBytes(last, 5) + 11 + 9 +
                                    DecimalBytes(entryCount, 0) + 11);
        return;
    }
    AppendReportFormat(report, "%sMap: %05d - %05d: Directory", indent.c_str(), first, last);
    AppendReportFormat(report, "(dir has %d entries)\r\n", entryCount);
}
