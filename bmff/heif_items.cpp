// The Exif, XMP and thumbnail items of a HEIF file, found through the
// primary item and read extent by extent.
#include "bmff/heif_items.h"

#include <algorithm>

#include "bmff/box_header.h"
#include "core/read_at.h"

namespace {

struct ItemReader {
    ByteSource& source;
    uint64_t fileSize;
    const HeifMeta& meta;
    uint64_t metaOffset;
    Report& report;
};

// The extents of an item with their lengths made explicit (a length of 0
// reaches to the end of the file or the idat box); false, after a message,
// when an extent lies outside them.
bool ResolveExtents(ItemReader& r, const HeifLocation& location, std::vector<HeifExtent>* extents) {
    const bool inIdat = location.constructionMethod == static_cast<int>(HeifConstruction::IdatOffset);
    const uint64_t limit = inIdat ? r.meta.idat.size : r.fileSize;
    if (inIdat && !r.meta.hasIdat) {
        ReportNonfatal(r.report, "HEIF: item %u lies in an idat box there is not\r\n", location.id);
        return false;
    }
    for (HeifExtent extent : location.extents) {
        if (extent.length == 0 && extent.offset <= limit) extent.length = limit - extent.offset;
        if (!RangeWithin(extent.offset, extent.length, limit)) {
            ReportNonfatal(r.report, "HEIF: item %u has an extent at %llu of %llu bytes past the end of the %s\r\n",
                           location.id, static_cast<unsigned long long>(extent.offset),
                           static_cast<unsigned long long>(extent.length), inIdat ? "idat box" : "file");
            return false;
        }
        extents->push_back(extent);
    }
    return true;
}

// Extents that share bytes are allowed to be read, but say the file is wrong.
void ReportOverlap(ItemReader& r, uint32_t id, std::vector<HeifExtent> extents) {
    std::sort(extents.begin(), extents.end(),
              [](const HeifExtent& a, const HeifExtent& b) { return a.offset < b.offset; });
    for (size_t i = 1; i < extents.size(); i++) {
        if (extents[i].offset < extents[i - 1].offset + extents[i - 1].length) {
            ReportNonfatal(r.report, "HEIF: the extents of item %u overlap\r\n", id);
            return;
        }
    }
}

// The total size of an item's data, or false with a message.
bool ItemDataSize(ItemReader& r, uint32_t id, std::vector<HeifExtent>* extents, uint64_t* total,
                  uint64_t* firstOffset) {
    const HeifLocation* location = FindHeifLocation(r.meta, id);
    if (location == nullptr) {
        ReportNonfatal(r.report, "HEIF: item %u has no location\r\n", id);
        return false;
    }
    // Method 2 builds an item from another item's data; higher ones are not defined.
    if (location->constructionMethod >= static_cast<int>(HeifConstruction::ItemOffset)) {
        ReportNonfatal(r.report, "HEIF: item %u is stored by construction method %d, which is not read\r\n", id,
                       location->constructionMethod);
        return false;
    }
    if (!ResolveExtents(r, *location, extents)) return false;
    *total = 0;
    for (const HeifExtent& extent : *extents) {
        if (extent.length > UINT64_MAX - *total) return false;
        *total += extent.length;
    }
    const bool inIdat = location->constructionMethod == static_cast<int>(HeifConstruction::IdatOffset);
    const uint64_t first = extents->empty() ? 0 : extents->front().offset;
    *firstOffset = inIdat ? r.metaOffset + r.meta.idatPosition + first : first;
    return true;
}

// The bytes of an item, its extents one after the other.
bool ReadItemData(ItemReader& r, uint32_t id, std::vector<uint8_t>& out, uint64_t* firstOffset) {
    std::vector<HeifExtent> extents;
    uint64_t total = 0;
    out.clear();
    if (!ItemDataSize(r, id, &extents, &total, firstOffset)) return false;
    if (total > kMostBlockBytes) {
        ReportNonfatal(r.report, "HEIF: item %u holds %llu bytes, more than a metadata block is read for\r\n", id,
                       static_cast<unsigned long long>(total));
        return false;
    }
    ReportOverlap(r, id, extents);
    const bool inIdat = FindHeifLocation(r.meta, id)->constructionMethod ==
                        static_cast<int>(HeifConstruction::IdatOffset);
    std::vector<uint8_t> part;
    for (const HeifExtent& extent : extents) {
        ByteView inMeta;
        if (inIdat && SubView(r.meta.idat, static_cast<int64_t>(extent.offset), static_cast<int64_t>(extent.length),
                              &inMeta)) {
            out.insert(out.end(), inMeta.data, inMeta.data + inMeta.size);
        } else if (!inIdat && ReadBlockAt(r.source, r.fileSize, extent.offset, extent.length, part)) {
            out.insert(out.end(), part.begin(), part.end());
        } else {
            ReportNonfatal(r.report, "HEIF: item %u could not be read\r\n", id);
            return false;
        }
    }
    return true;
}

// Whether from refers to to with a reference of this type.
bool Refers(const HeifMeta& meta, uint32_t type, uint32_t from, uint32_t to) {
    for (const HeifReference& reference : meta.references) {
        if (reference.type == type && reference.from == from && reference.to == to) return true;
    }
    return false;
}

// References that run back to where they start describe nothing; they are
// named and left unused.
bool InLoop(ItemReader& r, const HeifReference& reference) {
    if (reference.from == reference.to || Refers(r.meta, reference.type, reference.to, reference.from)) {
        ReportNonfatal(r.report, "HEIF: items %u and %u refer to each other ('%s')\r\n", reference.from,
                       reference.to, FourCcOf(reference.type).text);
        return true;
    }
    return false;
}

// The first item of this type that describes the primary item ('cdsc'),
// else the first item of this type at all.
const HeifItem* MetadataItem(ItemReader& r, bool (*wanted)(const HeifItem&)) {
    for (const HeifReference& reference : r.meta.references) {
        if (reference.type != FourCc("cdsc") || reference.to != r.meta.primaryId) continue;
        const HeifItem* item = FindHeifItem(r.meta, reference.from);
        if (item != nullptr && wanted(*item) && !InLoop(r, reference)) return item;
    }
    for (const HeifItem& item : r.meta.items) {
        if (wanted(item)) return &item;
    }
    return nullptr;
}

bool IsExifItem(const HeifItem& item) { return item.type == FourCc("Exif"); }
bool IsXmpItem(const HeifItem& item) {
    return item.type == FourCc("mime") && item.contentType == "application/rdf+xml";
}

// The Exif item begins with the offset of the TIFF header from the end of
// that 4-byte field (often past "Exif\0\0").
void FindExif(ItemReader& r, FoundBlocks& found) {
    const HeifItem* item = MetadataItem(r, IsExifItem);
    std::vector<uint8_t> data;
    uint64_t fileOffset = 0;
    if (item == nullptr || !ReadItemData(r, item->id, data, &fileOffset)) return;
    const ByteView view = MakeView(data);
    uint32_t headerOffset = 0;
    if (!ReadU32At(view, 0, true, &headerOffset) || !ViewHas(view, 4 + int64_t(headerOffset), 8) ||
        !(ViewMatches(view, 4 + int64_t(headerOffset), "II*\0", 4) ||
          ViewMatches(view, 4 + int64_t(headerOffset), "MM\0*", 4))) {
        ReportNonfatal(r.report, "HEIF: the Exif item %u holds no TIFF header where it says\r\n", item->id);
        return;
    }
    const size_t start = 4 + static_cast<size_t>(headerOffset);
    found.exif.present = true;
    found.exif.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(start), data.end());
    found.exif.fileOffset = fileOffset + start;
    found.exif.where = FormatText("HEIF item %u (Exif)", item->id);
}

void FindXmp(ItemReader& r, FoundBlocks& found) {
    const HeifItem* item = MetadataItem(r, IsXmpItem);
    if (item == nullptr || !ReadItemData(r, item->id, found.xmp.bytes, &found.xmp.fileOffset)) return;
    found.xmp.present = true;
    found.xmp.where = FormatText("HEIF item %u (XMP)", item->id);
}

const char* CodingOf(uint32_t itemType) {
    switch (itemType) {
        case FourCc("hvc1"): return "HEVC";
        case FourCc("av01"): return "AV1";
        case FourCc("jpeg"): return "JPEG";
        default: return nullptr;
    }
}

// A grid is coded as its tiles are (dimg references), and is as large in
// bytes as they are together.
const HeifItem* FirstTile(ItemReader& r, const HeifItem& grid) {
    for (const HeifReference& reference : r.meta.references) {
        if (reference.type == FourCc("dimg") && reference.from == grid.id && reference.to != grid.id) {
            const HeifItem* tile = FindHeifItem(r.meta, reference.to);
            if (tile != nullptr && tile->type != FourCc("grid")) return tile;
        }
    }
    return nullptr;
}

// The tiles' extents are counted against one budget: many references to
// one item of many extents must not cost their product.
bool CodedBytes(ItemReader& r, const HeifItem& item, uint64_t* total, uint64_t* fileOffset) {
    std::vector<HeifExtent> extents;
    if (item.type != FourCc("grid")) return ItemDataSize(r, item.id, &extents, total, fileOffset);
    *total = 0;
    size_t extentsSeen = 0;
    for (const HeifReference& reference : r.meta.references) {
        if (reference.type != FourCc("dimg") || reference.from != item.id || reference.to == item.id) continue;
        uint64_t tileBytes = 0;
        uint64_t tileOffset = 0;
        extents.clear();
        if (!ItemDataSize(r, reference.to, &extents, &tileBytes, &tileOffset)) return false;
        extentsSeen += extents.size() + 1;
        if (extentsSeen > kMostHeifExtents || tileBytes > UINT64_MAX - *total) {
            ReportNonfatal(r.report, "HEIF: the tiles of item %u are too many to count\r\n", item.id);
            return false;
        }
        if (*total == 0) *fileOffset = tileOffset;
        *total += tileBytes;
    }
    return true;
}

// The thumbnail item of the primary item: described by its coding, its
// size in pixels and in bytes; read only when it is a single JPEG.
void FindThumbnail(ItemReader& r, FoundBlocks& found) {
    for (const HeifReference& reference : r.meta.references) {
        if (reference.type != FourCc("thmb") || reference.to != r.meta.primaryId || InLoop(r, reference)) continue;
        const HeifItem* item = FindHeifItem(r.meta, reference.from);
        const HeifItem* coded = item != nullptr && item->type == FourCc("grid") ? FirstTile(r, *item) : item;
        const char* coding = coded == nullptr ? nullptr : CodingOf(coded->type);
        uint64_t total = 0;
        uint64_t fileOffset = 0;
        if (coding == nullptr || !CodedBytes(r, *item, &total, &fileOffset)) continue;
        found.preview.present = true;
        found.preview.fileOffset = fileOffset;
        found.preview.where = FormatText("HEIF item %u (thumbnail)", item->id);
        found.previewCoding = coding;
        found.previewByteCount = total;
        if (const HeifItemProperties* properties = FindHeifProperties(r.meta, item->id)) {
            found.previewWidth = properties->width;
            found.previewHeight = properties->height;
        }
        if (item->type == FourCc("jpeg")) ReadItemData(r, item->id, found.preview.bytes, &fileOffset);
        return;
    }
}

}  // namespace

void FindHeifBlocks(ByteSource& source, uint64_t fileSize, const HeifMeta& meta, uint64_t metaOffset,
                    Report& report, FoundBlocks& found) {
    ItemReader r{source, fileSize, meta, metaOffset, report};
    if (meta.handler != FourCc("pict")) {
        ReportNonfatal(report, "HEIF: the meta box's handler is '%s', not 'pict'\r\n", FourCcOf(meta.handler).text);
    }
    if (!meta.hasPrimary) {
        ReportNonfatal(report, "HEIF: no primary item (pitm)\r\n");
    } else if (FindHeifItem(meta, meta.primaryId) == nullptr) {
        ReportNonfatal(report, "HEIF: the primary item %u is not described (iinf)\r\n", meta.primaryId);
    }
    const HeifItemProperties* primary = meta.hasPrimary ? FindHeifProperties(meta, meta.primaryId) : nullptr;
    if (primary != nullptr) {
        if (primary->hasSize) {
            found.width = primary->width;
            found.height = primary->height;
        }
        found.rotationAnticlockwise = primary->rotation;
        found.mirrorAxis = primary->mirrorAxis;
    }
    FindExif(r, found);
    FindXmp(r, found);
    FindThumbnail(r, found);
}
