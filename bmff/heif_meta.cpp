// The meta box of a HEIF file, read from memory box by box.
#include "bmff/heif_meta.h"

#include "bmff/box_header.h"
#include "core/read_at.h"

namespace {

// A cursor through a box's payload: every read is checked, and the first
// read that does not fit leaves the cursor failed for good.
struct Cursor {
    ByteView view;
    int64_t at = 0;
    bool failed = false;
};

uint64_t TakeUnsigned(Cursor& c, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; i++) {
        uint8_t byte = 0;
        if (c.failed || !ReadU8(c.view, c.at, &byte)) {
            c.failed = true;
            return 0;
        }
        value = value << 8 | byte;
        c.at++;
    }
    return value;
}

// A zero-terminated text; one that runs to the end of the box is taken whole.
std::string TakeText(Cursor& c) {
    std::string text;
    uint8_t byte = 0;
    while (!c.failed && ReadU8(c.view, c.at, &byte)) {
        c.at++;
        if (byte == 0) return text;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

Cursor PayloadCursor(ByteView meta, const Box& box) {
    Cursor c;
    SubView(meta, static_cast<int64_t>(box.payload), static_cast<int64_t>(box.end - box.payload), &c.view);
    return c;
}

// Calls visit(box) for each box between begin and end of view; a damaged
// header is reported and ends the list.
template <typename Visit>
void ForEachBox(ByteView view, uint64_t begin, uint64_t end, Report& report, Visit visit) {
    uint64_t at = begin;
    while (at < end) {
        Box box;
        std::string problem;
        if (BoxInView(view, at, end, &box, &problem) != BoxHeaderResult::Read) {
            ReportNonfatal(report, "HEIF: %s\r\n", problem.c_str());
            return;
        }
        visit(box);
        at = box.end;
    }
}

void ParseHandler(ByteView meta, const Box& box, HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    TakeUnsigned(c, 8);  // version, flags, pre_defined
    parsed.handler = static_cast<uint32_t>(TakeUnsigned(c, 4));
}

void ParsePrimary(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    const uint64_t version = TakeUnsigned(c, 4) >> 24;
    parsed.primaryId = static_cast<uint32_t>(TakeUnsigned(c, version == 0 ? 2 : 4));
    parsed.hasPrimary = !c.failed;
    if (c.failed) ReportNonfatal(report, "HEIF: the pitm box is cut off\r\n");
}

void ParseItemInfoEntry(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    const uint64_t version = TakeUnsigned(c, 4) >> 24;
    HeifItem item;
    item.id = static_cast<uint32_t>(TakeUnsigned(c, version == 3 ? 4 : 2));
    TakeUnsigned(c, 2);  // protection index
    if (version >= 2) {
        item.type = static_cast<uint32_t>(TakeUnsigned(c, 4));
        TakeText(c);  // item name
        if (item.type == FourCc("mime")) item.contentType = TakeText(c);
    }
    if (c.failed) {
        ReportNonfatal(report, "HEIF: an infe box at %llu is cut off\r\n", static_cast<unsigned long long>(box.start));
        return;
    }
    if (parsed.items.size() >= kMostHeifItems) return;
    if (FindHeifItem(parsed, item.id) != nullptr) {
        ReportNonfatal(report, "HEIF: item %u is described twice\r\n", item.id);
        return;
    }
    parsed.items.push_back(item);
    if (parsed.items.size() == kMostHeifItems) {
        ReportNonfatal(report, "HEIF: more than %d items; the rest are not read\r\n", static_cast<int>(kMostHeifItems));
    }
}

void ParseItemInfo(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    const uint64_t version = TakeUnsigned(c, 4) >> 24;
    TakeUnsigned(c, version == 0 ? 2 : 4);  // entry count: the infe boxes are counted as they come
    if (c.failed) return;
    ForEachBox(meta, box.payload + static_cast<uint64_t>(c.at), box.end, report, [&](const Box& entry) {
        if (entry.type == FourCc("infe")) ParseItemInfoEntry(meta, entry, report, parsed);
    });
}

bool ValidFieldSize(uint64_t bytes) { return bytes == 0 || bytes == 4 || bytes == 8; }

// One item of an iloc box. False when the box cannot be read further.
bool ParseLocation(Cursor& c, uint64_t version, const int (&sizes)[4], Report& report, HeifMeta& parsed,
                   size_t* extentsKept) {
    const int offsetSize = sizes[0], lengthSize = sizes[1], baseSize = sizes[2], indexSize = sizes[3];
    HeifLocation location;
    location.id = static_cast<uint32_t>(TakeUnsigned(c, version < 2 ? 2 : 4));
    if (version >= 1) location.constructionMethod = static_cast<int>(TakeUnsigned(c, 2) & 0x0F);
    TakeUnsigned(c, 2);  // data reference index
    const uint64_t base = TakeUnsigned(c, baseSize);
    const uint64_t extentCount = TakeUnsigned(c, 2);
    const int64_t extentBytes = indexSize + offsetSize + lengthSize;
    if (c.failed || !ViewHas(c.view, c.at, static_cast<int64_t>(extentCount) * extentBytes)) {
        ReportNonfatal(report, "HEIF: the iloc box is cut off\r\n");
        return false;
    }
    const bool keep = parsed.locations.size() < kMostHeifItems && *extentsKept + extentCount <= kMostHeifExtents;
    if (!keep) {
        // Stepped over without a loop: extents of no bytes cost no reading.
        c.at += static_cast<int64_t>(extentCount) * extentBytes;
        ReportNonfatal(report, "HEIF: the location of item %u is not kept (too many items or extents)\r\n",
                       location.id);
        return true;
    }
    for (uint64_t e = 0; e < extentCount; e++) {
        TakeUnsigned(c, indexSize);
        HeifExtent extent;
        const uint64_t offset = TakeUnsigned(c, offsetSize);
        extent.length = TakeUnsigned(c, lengthSize);
        if (offset > UINT64_MAX - base) {
            ReportNonfatal(report, "HEIF: item %u has an extent offset beyond any file\r\n", location.id);
            return true;
        }
        extent.offset = base + offset;
        location.extents.push_back(extent);
    }
    *extentsKept += location.extents.size();
    parsed.locations.push_back(std::move(location));
    return true;
}

void ParseLocations(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    const uint64_t version = TakeUnsigned(c, 4) >> 24;
    const uint64_t packed = TakeUnsigned(c, 2);
    const int sizes[4] = {static_cast<int>(packed >> 12 & 15), static_cast<int>(packed >> 8 & 15),
                          static_cast<int>(packed >> 4 & 15), version >= 1 ? static_cast<int>(packed & 15) : 0};
    if (version > 2) {
        ReportNonfatal(report, "HEIF: iloc version %llu is not read\r\n", static_cast<unsigned long long>(version));
        return;
    }
    for (int size : sizes) {
        if (!ValidFieldSize(static_cast<uint64_t>(size))) {
            ReportNonfatal(report, "HEIF: the iloc box gives a field size of %d bytes\r\n", size);
            return;
        }
    }
    const uint64_t itemCount = TakeUnsigned(c, version < 2 ? 2 : 4);
    size_t extentsKept = 0;
    for (uint64_t i = 0; i < itemCount && !c.failed; i++) {
        if (!ParseLocation(c, version, sizes, report, parsed, &extentsKept)) return;
    }
    if (c.failed) ReportNonfatal(report, "HEIF: the iloc box is cut off\r\n");
}

void ParseReferences(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    Cursor head = PayloadCursor(meta, box);
    const uint64_t version = TakeUnsigned(head, 4) >> 24;
    const int idBytes = version == 0 ? 2 : 4;
    ForEachBox(meta, box.payload + 4, box.end, report, [&](const Box& reference) {
        Cursor c = PayloadCursor(meta, reference);
        const uint32_t from = static_cast<uint32_t>(TakeUnsigned(c, idBytes));
        const uint64_t count = TakeUnsigned(c, 2);
        for (uint64_t i = 0; i < count && !c.failed; i++) {
            HeifReference kept{reference.type, from, static_cast<uint32_t>(TakeUnsigned(c, idBytes))};
            if (c.failed || parsed.references.size() >= kMostHeifReferences) break;
            parsed.references.push_back(kept);
        }
        if (c.failed) ReportNonfatal(report, "HEIF: an iref entry of item %u is cut off\r\n", from);
    });
}

// The properties of ipco in order (index 1 is the first), as far as they matter.
struct Property {
    uint32_t type = 0;
    uint32_t first = 0;
    uint32_t second = 0;
};

std::vector<Property> ParsePropertyContainer(ByteView meta, const Box& box, Report& report) {
    std::vector<Property> properties;
    ForEachBox(meta, box.payload, box.end, report, [&](const Box& property) {
        Cursor c = PayloadCursor(meta, property);
        Property kept;
        kept.type = property.type;
        if (property.type == FourCc("ispe")) {
            TakeUnsigned(c, 4);
            kept.first = static_cast<uint32_t>(TakeUnsigned(c, 4));
            kept.second = static_cast<uint32_t>(TakeUnsigned(c, 4));
        } else if (property.type == FourCc("irot") || property.type == FourCc("imir")) {
            kept.first = static_cast<uint32_t>(TakeUnsigned(c, 1));
        }
        if (c.failed) {
            ReportNonfatal(report, "HEIF: property '%s' is cut off\r\n", FourCcOf(property.type).text);
            kept.type = 0;
        }
        // ipma numbers properties with 15 bits at most.
        if (properties.size() < 0x7FFF) properties.push_back(kept);
    });
    return properties;
}

HeifItemProperties* PropertiesFor(HeifMeta& parsed, uint32_t id) {
    for (HeifItemProperties& item : parsed.properties) {
        if (item.id == id) return &item;
    }
    if (parsed.properties.size() >= kMostHeifItems) return nullptr;
    parsed.properties.push_back(HeifItemProperties{});
    parsed.properties.back().id = id;
    return &parsed.properties.back();
}

void ApplyProperty(const Property& property, HeifItemProperties& item) {
    if (property.type == FourCc("ispe")) {
        item.hasSize = true;
        item.width = property.first;
        item.height = property.second;
    } else if (property.type == FourCc("irot")) {
        item.rotation = static_cast<int32_t>(property.first & 3) * 90;
    } else if (property.type == FourCc("imir")) {
        item.mirrorAxis = static_cast<int32_t>(property.first & 1);
    }
}

void ParseAssociations(ByteView meta, const Box& box, const std::vector<Property>& properties, Report& report,
                       HeifMeta& parsed) {
    Cursor c = PayloadCursor(meta, box);
    const uint64_t versionAndFlags = TakeUnsigned(c, 4);
    const int idBytes = (versionAndFlags >> 24) < 1 ? 2 : 4;
    const bool wideIndex = (versionAndFlags & 1) != 0;
    const uint64_t entries = TakeUnsigned(c, 4);
    for (uint64_t e = 0; e < entries && !c.failed; e++) {
        if (e == kMostHeifItems) {
            ReportNonfatal(report, "HEIF: more than %d ipma entries; the rest are not read\r\n",
                           static_cast<int>(kMostHeifItems));
            return;
        }
        const uint32_t id = static_cast<uint32_t>(TakeUnsigned(c, idBytes));
        const uint64_t count = TakeUnsigned(c, 1);
        HeifItemProperties* item = c.failed ? nullptr : PropertiesFor(parsed, id);
        for (uint64_t a = 0; a < count && !c.failed; a++) {
            const uint64_t index = TakeUnsigned(c, wideIndex ? 2 : 1) & (wideIndex ? 0x7FFF : 0x7F);
            if (c.failed || index == 0 || item == nullptr) continue;
            if (index > properties.size()) {
                ReportNonfatal(report, "HEIF: item %u names property %llu of %d\r\n", id,
                               static_cast<unsigned long long>(index), static_cast<int>(properties.size()));
                continue;
            }
            ApplyProperty(properties[index - 1], *item);
        }
    }
    if (c.failed) ReportNonfatal(report, "HEIF: the ipma box is cut off\r\n");
}

void ParseItemProperties(ByteView meta, const Box& box, Report& report, HeifMeta& parsed) {
    std::vector<Property> properties;
    ForEachBox(meta, box.payload, box.end, report, [&](const Box& child) {
        if (child.type == FourCc("ipco")) properties = ParsePropertyContainer(meta, child, report);
    });
    ForEachBox(meta, box.payload, box.end, report, [&](const Box& child) {
        if (child.type == FourCc("ipma")) ParseAssociations(meta, child, properties, report, parsed);
    });
}

}  // namespace

void ParseHeifMeta(ByteView meta, Report& report, HeifMeta& parsed) {
    Box box;
    std::string problem;
    if (BoxInView(meta, 0, meta.size, &box, &problem) != BoxHeaderResult::Read) {
        ReportNonfatal(report, "HEIF: %s\r\n", problem.c_str());
        return;
    }
    // meta is a full box: version and flags come before its children.
    ForEachBox(meta, box.payload + 4, box.end, report, [&](const Box& child) {
        switch (child.type) {
            case FourCc("hdlr"): ParseHandler(meta, child, parsed); break;
            case FourCc("pitm"): ParsePrimary(meta, child, report, parsed); break;
            case FourCc("iinf"): ParseItemInfo(meta, child, report, parsed); break;
            case FourCc("iloc"): ParseLocations(meta, child, report, parsed); break;
            case FourCc("iref"): ParseReferences(meta, child, report, parsed); break;
            case FourCc("iprp"): ParseItemProperties(meta, child, report, parsed); break;
            case FourCc("idat"):
                parsed.hasIdat = SubView(meta, static_cast<int64_t>(child.payload),
                                         static_cast<int64_t>(child.end - child.payload), &parsed.idat);
                parsed.idatPosition = child.payload;
                break;
            default: break;
        }
    });
}

const HeifItem* FindHeifItem(const HeifMeta& meta, uint32_t id) {
    for (const HeifItem& item : meta.items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

const HeifLocation* FindHeifLocation(const HeifMeta& meta, uint32_t id) {
    for (const HeifLocation& location : meta.locations) {
        if (location.id == id) return &location;
    }
    return nullptr;
}

const HeifItemProperties* FindHeifProperties(const HeifMeta& meta, uint32_t id) {
    for (const HeifItemProperties& item : meta.properties) {
        if (item.id == id) return &item;
    }
    return nullptr;
}
