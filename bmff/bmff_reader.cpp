// The walk of an ISO base media file's top-level boxes.
#include "bmff/bmff_reader.h"

#include "bmff/box_header.h"
#include "bmff/canon_cr3.h"
#include "bmff/heif_items.h"
#include "bmff/heif_meta.h"
#include "core/container_signature.h"
#include "core/read_at.h"

namespace {

// be7acfcb-97a9-42e8-9c71-999491e3afac: an XMP packet, as CR3 files keep it.
constexpr uint8_t kXmpUuid[16] = {0xbe, 0x7a, 0xcf, 0xcb, 0x97, 0xa9, 0x42, 0xe8,
                                  0x9c, 0x71, 0x99, 0x94, 0x91, 0xe3, 0xaf, 0xac};

// An ftyp box lists its brands in a few dozen bytes; more are not looked at.
constexpr uint64_t kMostFtypBytes = 1024;
// A file of millions of empty boxes costs a read each: the walk stops here.
constexpr int kMostBoxes = 100000;

struct BoxWalk {
    ByteSource& source;
    uint64_t fileSize;
    Report& report;
    FoundBlocks& found;
    int boxes = 0;
};

// Calls visit(box) for each box from begin to end, read by offset.
template <typename Visit>
void WalkBoxes(BoxWalk& walk, uint64_t begin, uint64_t end, Visit visit) {
    for (uint64_t at = begin; at < end;) {
        if (++walk.boxes > kMostBoxes) {
            ReportNonfatal(walk.report, "ISO media: more than %d boxes; the rest are not read\r\n", kMostBoxes);
            return;
        }
        Box box;
        std::string problem;
        if (BoxInSource(walk.source, at, end, &box, &problem) != BoxHeaderResult::Read) {
            ReportNonfatal(walk.report, "ISO media: %s\r\n", problem.c_str());
            return;
        }
        visit(box);
        at = box.end;
    }
}

void ReadMeta(BoxWalk& walk, const Box& box) {
    std::vector<uint8_t> bytes;
    if (!ReadBlockAt(walk.source, walk.fileSize, box.start, box.end - box.start, bytes)) {
        ReportNonfatal(walk.report, "HEIF: the meta box of %llu bytes is not read\r\n",
                       static_cast<unsigned long long>(box.end - box.start));
        return;
    }
    HeifMeta meta;
    ParseHeifMeta(MakeView(bytes), walk.report, meta);
    FindHeifBlocks(walk.source, walk.fileSize, meta, box.start, walk.report, walk.found);
}

void ReadXmpBox(BoxWalk& walk, const Box& box) {
    FoundBlock& xmp = walk.found.xmp;
    if (xmp.present) return;
    if (!ReadBlockAt(walk.source, walk.fileSize, box.payload, box.end - box.payload, xmp.bytes)) {
        ReportNonfatal(walk.report, "ISO media: the XMP box of %llu bytes is not read\r\n",
                       static_cast<unsigned long long>(box.end - box.payload));
        return;
    }
    xmp.present = true;
    xmp.fileOffset = box.payload;
    xmp.where = "uuid box (XMP)";
}

void VisitTopBox(BoxWalk& walk, const Box& box) {
    if (box.type == FourCc("meta")) {
        ReadMeta(walk, box);
    } else if (box.type == FourCc("moov")) {
        WalkBoxes(walk, box.payload, box.end, [&](const Box& child) {
            if (BoxHasUuid(child, kCanonMetadataUuid)) {
                ReadCanonMetadata(walk.source, walk.fileSize, child, walk.report, walk.found);
            }
        });
    } else if (BoxHasUuid(box, kXmpUuid)) {
        ReadXmpBox(walk, box);
    } else if (BoxHasUuid(box, kCanonPreviewUuid)) {
        ReadCanonPreview(walk.source, walk.fileSize, box, walk.report, walk.found);
    }
}

}  // namespace

bool ReadBmffBlocks(ByteSource& source, Report& report, FoundBlocks& found) {
    uint64_t fileSize = 0;
    if (!SourceSize(source, &fileSize)) return false;
    Box ftyp;
    std::string problem;
    if (BoxInSource(source, 0, fileSize, &ftyp, &problem) != BoxHeaderResult::Read || ftyp.type != FourCc("ftyp")) {
        return false;
    }
    std::vector<uint8_t> brands;
    const uint64_t brandBytes = ftyp.end - ftyp.payload;
    if (!ReadBlockAt(source, fileSize, ftyp.payload, brandBytes < kMostFtypBytes ? brandBytes : kMostFtypBytes,
                     brands)) {
        return false;
    }
    const FileType type = FileTypeOfBrands(MakeView(brands));
    if (type == FileType::Unknown) return false;
    found.type = type;
    BoxWalk walk{source, fileSize, report, found};
    WalkBoxes(walk, ftyp.end, fileSize, [&](const Box& box) { VisitTopBox(walk, box); });
    if (type == FileType::Cr3 && !found.exif.present) {
        ReportNonfatal(report, "CR3: no Canon metadata box with an IFD0 (CMT1) in moov\r\n");
    }
    return true;
}
