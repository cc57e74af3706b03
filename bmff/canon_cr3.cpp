// The CMT boxes, THMB and PRVW of a Canon CR3 file.
#include "bmff/canon_cr3.h"

#include "core/read_at.h"

namespace {

// THMB and PRVW put 16 bytes (sizes and flags) before their JPEG.
constexpr uint64_t kPictureHeaderBytes = 16;
// The preview uuid box holds 8 bytes before its PRVW box.
constexpr uint64_t kPreviewUuidLeadBytes = 8;

bool HasTiffHeader(ByteView view) { return ViewMatches(view, 0, "II*\0", 4) || ViewMatches(view, 0, "MM\0*", 4); }

// A CMT box's payload: a TIFF block for the EXIF decoder.
bool TakeTiffBlock(ByteView bytes, const Box& cmt, uint64_t fileOffset, Report& report, FoundBlock& block) {
    ByteView payload;
    SubView(bytes, static_cast<int64_t>(cmt.payload), static_cast<int64_t>(cmt.end - cmt.payload), &payload);
    if (!HasTiffHeader(payload)) {
        ReportNonfatal(report, "CR3: box '%s' holds no TIFF header\r\n", FourCcOf(cmt.type).text);
        return false;
    }
    block.present = true;
    block.bytes.assign(payload.data, payload.data + payload.size);
    block.fileOffset = fileOffset + cmt.payload;
    block.where = FormatText("CR3 box %s", FourCcOf(cmt.type).text);
    return true;
}

// A CR3 file says its size in CMT1's IFD0 (ImageWidth, ImageLength), as a
// TIFF does; the container itself says none.
void TakeSizeFromIfd0(ByteView tiff, FoundBlocks& found) {
    const bool bigEndian = ViewMatches(tiff, 0, "MM", 2);
    uint32_t directory = 0;
    uint16_t count = 0;
    if (!ReadU32At(tiff, 4, bigEndian, &directory) || !ReadU16At(tiff, directory, bigEndian, &count)) return;
    for (int64_t i = 0; i < count; i++) {
        const int64_t entry = int64_t(directory) + 2 + 12 * i;
        uint16_t tag = 0, format = 0, shortValue = 0;
        uint32_t longValue = 0;
        if (!ReadU16At(tiff, entry, bigEndian, &tag) || !ReadU16At(tiff, entry + 2, bigEndian, &format)) return;
        // SHORT (3) or LONG (4), one value, held in the entry itself.
        const bool read = format == 3 ? ReadU16At(tiff, entry + 8, bigEndian, &shortValue)
                                      : format == 4 && ReadU32At(tiff, entry + 8, bigEndian, &longValue);
        const int64_t value = format == 3 ? shortValue : longValue;
        if (read && tag == 0x0100) found.width = value;
        if (read && tag == 0x0101) found.height = value;
    }
}

void AddTiffBlock(ByteView bytes, const Box& cmt, uint64_t fileOffset, DirectoryKind kind, Report& report,
                  FoundBlocks& found) {
    FoundTiffBlock more;
    more.firstDirectory = kind;
    if (TakeTiffBlock(bytes, cmt, fileOffset, report, more.block)) found.moreExif.push_back(std::move(more));
}

// Where THMB and PRVW keep the picture's width, height and length in the
// 16 bytes before their JPEG.
struct PictureLayout {
    const char* name;
    int64_t widthAt;
    int64_t heightAt;
    int64_t lengthAt;
};

constexpr PictureLayout kThumbnailLayout = {"THMB", 4, 6, 8};
constexpr PictureLayout kPreviewLayout = {"PRVW", 6, 8, 12};

bool ReadPictureBox(ByteView payload, uint64_t payloadOffset, Report& report, FoundBlocks& found,
                    const PictureLayout& layout) {
    const char* name = layout.name;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t length = 0;
    ByteView jpeg;
    if (!ReadU16At(payload, layout.widthAt, true, &width) || !ReadU16At(payload, layout.heightAt, true, &height) ||
        !ReadU32At(payload, layout.lengthAt, true, &length) ||
        !SubView(payload, static_cast<int64_t>(kPictureHeaderBytes), length, &jpeg)) {
        ReportNonfatal(report, "CR3: the %s picture runs past its box\r\n", name);
        return false;
    }
    found.preview.present = true;
    found.preview.bytes.assign(jpeg.data, jpeg.data + jpeg.size);
    found.preview.fileOffset = payloadOffset + kPictureHeaderBytes;
    found.preview.where = FormatText("CR3 box %s", name);
    found.previewCoding = "JPEG";
    found.previewWidth = width;
    found.previewHeight = height;
    found.previewByteCount = length;
    return true;
}

}  // namespace

void ReadCanonMetadata(ByteSource& source, uint64_t fileSize, const Box& box, Report& report, FoundBlocks& found) {
    std::vector<uint8_t> bytes;
    if (!ReadBlockAt(source, fileSize, box.start, box.end - box.start, bytes)) {
        ReportNonfatal(report, "CR3: the metadata box of %llu bytes is not read\r\n",
                       static_cast<unsigned long long>(box.end - box.start));
        return;
    }
    const ByteView view = MakeView(bytes);
    const uint64_t base = box.start;
    for (uint64_t at = box.payload - box.start; at < view.size;) {
        Box child;
        std::string problem;
        if (BoxInView(view, at, view.size, &child, &problem) != BoxHeaderResult::Read) {
            ReportNonfatal(report, "CR3: %s\r\n", problem.c_str());
            return;
        }
        at = child.end;
        switch (child.type) {
            case FourCc("CMT1"):
                if (TakeTiffBlock(view, child, base, report, found.exif)) TakeSizeFromIfd0(MakeView(found.exif.bytes), found);
                break;
            case FourCc("CMT2"): AddTiffBlock(view, child, base, DirectoryKind::Exif, report, found); break;
            case FourCc("CMT4"): AddTiffBlock(view, child, base, DirectoryKind::Gps, report, found); break;
            case FourCc("CMT3"):
                found.makerNotesPresent = true;
                found.makerNotesOffset = base + child.payload;
                found.makerNotesByteCount = child.end - child.payload;
                found.makerNotesWhere = "CR3 box CMT3";
                break;
            case FourCc("THMB"): {
                // The small thumbnail stands in only until a PRVW preview is found.
                if (found.preview.present) break;
                ByteView payload;
                SubView(view, static_cast<int64_t>(child.payload), static_cast<int64_t>(child.end - child.payload),
                        &payload);
                ReadPictureBox(payload, base + child.payload, report, found, kThumbnailLayout);
                break;
            }
            default: break;
        }
    }
}

void ReadCanonPreview(ByteSource& source, uint64_t fileSize, const Box& box, Report& report, FoundBlocks& found) {
    Box prvw;
    std::string problem;
    if (BoxInSource(source, box.payload + kPreviewUuidLeadBytes, box.end, &prvw, &problem) != BoxHeaderResult::Read) {
        ReportNonfatal(report, "CR3: %s\r\n", problem.c_str());
        return;
    }
    if (prvw.type != FourCc("PRVW")) return;
    std::vector<uint8_t> payload;
    if (!ReadBlockAt(source, fileSize, prvw.payload, prvw.end - prvw.payload, payload)) {
        ReportNonfatal(report, "CR3: the PRVW box of %llu bytes is not read\r\n",
                       static_cast<unsigned long long>(prvw.end - prvw.start));
        return;
    }
    // Written only when the whole picture is there: a THMB thumbnail stays otherwise.
    ReadPictureBox(MakeView(payload), prvw.payload, report, found, kPreviewLayout);
}
