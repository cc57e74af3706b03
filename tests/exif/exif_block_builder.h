// Builds EXIF blocks for tests: a TIFF header and directories of entries,
// with values that do not fit an entry placed after their directory, links
// to other directories and data blobs resolved to offsets at build time.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "exif/exif.h"
#include "core/image_summary.h"
#include "report/report.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

namespace exif_test {

constexpr unsigned kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSByte = 6, kUndefined = 7,
                   kSShort = 8, kSLong = 9, kSRational = 10, kFloat = 11, kDouble = 12;

class ExifBlockBuilder {
public:
    explicit ExifBlockBuilder(bool bigEndian) : bigEndian_(bigEndian) {}

    bool BigEndian() const { return bigEndian_; }

    // A new, empty directory; returns its number. Directory 0 is the first.
    int Directory() {
        directories_.emplace_back();
        return static_cast<int>(directories_.size()) - 1;
    }

    // An entry whose value bytes are given; 4 bytes or fewer sit in the entry.
    ExifBlockBuilder& Add(int dir, unsigned tag, unsigned format, uint32_t count, std::vector<uint8_t> value) {
        Entry entry = MakeEntry(tag, format, count);
        entry.value = std::move(value);
        directories_[dir].entries.push_back(entry);
        return *this;
    }
    // An entry whose last four bytes are given as they are (a value or an offset).
    ExifBlockBuilder& AddRaw(int dir, unsigned tag, unsigned format, uint32_t count, uint32_t field) {
        Entry entry = MakeEntry(tag, format, count);
        entry.kind = FieldKind::Raw;
        entry.field = field;
        directories_[dir].entries.push_back(entry);
        return *this;
    }
    // A LONG entry holding the offset of another directory.
    ExifBlockBuilder& AddLink(int dir, unsigned tag, int target) {
        Entry entry = MakeEntry(tag, kLong, 1);
        entry.kind = FieldKind::Directory;
        entry.target = target;
        directories_[dir].entries.push_back(entry);
        return *this;
    }
    // A LONG entry holding the offset of a data blob (see Data).
    ExifBlockBuilder& AddDataOffset(int dir, unsigned tag, int data) {
        Entry entry = MakeEntry(tag, kLong, 1);
        entry.kind = FieldKind::Data;
        entry.target = data;
        directories_[dir].entries.push_back(entry);
        return *this;
    }
    ExifBlockBuilder& Next(int dir, int target) {
        directories_[dir].nextDirectory = target;
        return *this;
    }
    ExifBlockBuilder& NextRaw(int dir, uint32_t link) {
        directories_[dir].nextDirectory = -1;
        directories_[dir].nextLink = link;
        return *this;
    }
    // Bytes placed after all directories; returns the blob's number.
    int Data(std::vector<uint8_t> bytes) {
        data_.push_back(std::move(bytes));
        return static_cast<int>(data_.size()) - 1;
    }
    // Overrides the first-directory offset of the TIFF header.
    ExifBlockBuilder& FirstOffset(uint32_t offset) {
        firstOffset_ = offset;
        hasFirstOffset_ = true;
        return *this;
    }

    // Values in the block's byte order.
    std::vector<uint8_t> Shorts(std::initializer_list<unsigned> values) const {
        ByteBuilder b = Builder();
        for (unsigned v : values) b.U16(v);
        return b.bytes;
    }
    std::vector<uint8_t> Longs(std::initializer_list<uint32_t> values) const {
        ByteBuilder b = Builder();
        for (uint32_t v : values) b.U32(v);
        return b.bytes;
    }
    std::vector<uint8_t> Rationals(std::initializer_list<std::pair<uint32_t, uint32_t>> values) const {
        ByteBuilder b = Builder();
        for (const auto& v : values) b.U32(v.first).U32(v.second);
        return b.bytes;
    }
    static std::vector<uint8_t> Ascii(const std::string& text) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        return bytes;
    }

    int64_t DirectoryOffset(int dir) const { return Layout().directoryOffsets[dir]; }
    int64_t DataOffset(int data) const { return Layout().dataOffsets[data]; }

    // The block from its TIFF header to its end.
    std::vector<uint8_t> Tiff() const {
        const Placement place = Layout();
        ByteBuilder b = Builder();
        b.Text(bigEndian_ ? "MM" : "II").U16(0x2A);
        b.U32(hasFirstOffset_ ? firstOffset_ : static_cast<uint32_t>(place.directoryOffsets.empty() ? 0 : 8));
        for (size_t d = 0; d < directories_.size(); d++) {
            const DirectoryDraft& dir = directories_[d];
            int64_t valueOffset = place.directoryOffsets[d] + DirectorySize(dir);
            std::vector<uint8_t> values;
            b.U16(static_cast<unsigned>(dir.entries.size()));
            for (const Entry& entry : dir.entries) {
                b.U16(entry.tag).U16(entry.format).U32(entry.count);
                switch (entry.kind) {
                    case FieldKind::Raw:
                        b.U32(entry.field);
                        break;
                    case FieldKind::Directory:
                        b.U32(static_cast<uint32_t>(place.directoryOffsets[entry.target]));
                        break;
                    case FieldKind::Data:
                        b.U32(static_cast<uint32_t>(place.dataOffsets[entry.target]));
                        break;
                    case FieldKind::Value:
                        if (entry.value.size() <= 4) {
                            b.Append(entry.value).Repeat(0, 4 - entry.value.size());
                        } else {
                            b.U32(static_cast<uint32_t>(valueOffset + values.size()));
                            values.insert(values.end(), entry.value.begin(), entry.value.end());
                        }
                        break;
                }
            }
            b.U32(dir.nextDirectory >= 0 ? static_cast<uint32_t>(place.directoryOffsets[dir.nextDirectory])
                                         : dir.nextLink);
            b.Append(values);
        }
        for (const auto& blob : data_) b.Append(blob);
        return b.bytes;
    }

private:
    enum class FieldKind { Value, Raw, Directory, Data };
    struct Entry {
        unsigned tag = 0;
        unsigned format = 0;
        uint32_t count = 0;
        FieldKind kind = FieldKind::Value;
        std::vector<uint8_t> value;
        uint32_t field = 0;
        int target = -1;
    };
    static Entry MakeEntry(unsigned tag, unsigned format, uint32_t count) {
        Entry entry;
        entry.tag = tag;
        entry.format = format;
        entry.count = count;
        return entry;
    }
    struct DirectoryDraft {
        std::vector<Entry> entries;
        int nextDirectory = -1;
        uint32_t nextLink = 0;
    };
    struct Placement {
        std::vector<int64_t> directoryOffsets;
        std::vector<int64_t> dataOffsets;
    };

    ByteBuilder Builder() const {
        ByteBuilder b;
        b.bigEndian = bigEndian_;
        return b;
    }
    static int64_t DirectorySize(const DirectoryDraft& dir) {
        return 2 + 12 * static_cast<int64_t>(dir.entries.size()) + 4;
    }
    static int64_t OutOfLineBytes(const DirectoryDraft& dir) {
        int64_t total = 0;
        for (const Entry& entry : dir.entries) {
            if (entry.kind == FieldKind::Value && entry.value.size() > 4) total += entry.value.size();
        }
        return total;
    }
    Placement Layout() const {
        Placement place;
        int64_t offset = 8;
        for (const DirectoryDraft& dir : directories_) {
            place.directoryOffsets.push_back(offset);
            offset += DirectorySize(dir) + OutOfLineBytes(dir);
        }
        for (const auto& blob : data_) {
            place.dataOffsets.push_back(offset);
            offset += static_cast<int64_t>(blob.size());
        }
        return place;
    }

    bool bigEndian_;
    std::vector<DirectoryDraft> directories_;
    std::vector<std::vector<uint8_t>> data_;
    uint32_t firstOffset_ = 0;
    bool hasFirstOffset_ = false;
};

// The APP1 segment as the segment reader keeps it: two length bytes,
// "Exif", two zero bytes, then the block.
inline JpegSegment ExifSegment(const std::vector<uint8_t>& tiff) {
    ByteBuilder b;
    b.U16(static_cast<unsigned>(tiff.size() + 8)).Text("Exif").U8(0).U8(0).Append(tiff);
    JpegSegment segment;
    segment.data = b.bytes;
    segment.marker = 0xE1;
    segment.length = static_cast<int32_t>(b.bytes.size());
    return segment;
}

// Decodes the block into a fresh summary with the Exif pane current.
struct ExifRun {
    ReportCapture capture;
    ImageSummary& summary = capture.analysis.summary;

    explicit ExifRun(const std::vector<uint8_t>& tiff) {
        SelectReportPane(capture.report(), ReportPane::Exif);
        DecodeExifBlock(capture.analysis, ExifSegment(tiff));
    }
    std::vector<std::string> Lines() const { return capture.Lines(ReportPane::Exif); }
    const std::string& Text() const { return capture.Text(ReportPane::Exif); }
    std::string Red() const { return capture.RedText(ReportPane::Exif); }
    bool HasLine(const std::string& line) const {
        for (const std::string& l : Lines()) {
            if (l == line) return true;
        }
        return false;
    }
};

}  // namespace exif_test
