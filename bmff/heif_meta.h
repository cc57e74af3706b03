// The 'meta' box of a HEIF or AVIF file, held in memory: its handler, the
// primary item, the items' types (iinf/infe), where their data lies
// (iloc, idat), how they refer to one another (iref) and their properties
// (iprp: ipco and ipma).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_view.h"
#include "report/report.h"

// Items, locations and references beyond these counts are not kept: real
// files have a few hundred items at most (the tiles of a grid), and every
// lookup by item number runs over these lists.
constexpr size_t kMostHeifItems = 4096;
constexpr size_t kMostHeifExtents = 65536;
constexpr size_t kMostHeifReferences = 4096;

struct HeifItem {
    uint32_t id = 0;
    uint32_t type = 0;        // 'hvc1', 'av01', 'grid', 'Exif', 'mime', ... (0 before infe version 2)
    std::string contentType;  // of a 'mime' item
};

enum class HeifConstruction { FileOffset = 0, IdatOffset = 1, ItemOffset = 2 };

struct HeifExtent {
    uint64_t offset = 0;  // base offset included
    uint64_t length = 0;  // 0: to the end of the file or of the idat box
};

struct HeifLocation {
    uint32_t id = 0;
    int constructionMethod = 0;
    std::vector<HeifExtent> extents;
};

struct HeifReference {
    uint32_t type = 0;  // 'thmb', 'cdsc', 'auxl', ...
    uint32_t from = 0;
    uint32_t to = 0;
};

// The properties of one item that matter here, from ipco through ipma.
struct HeifItemProperties {
    uint32_t id = 0;
    bool hasSize = false;
    uint32_t width = 0;   // ispe
    uint32_t height = 0;
    int32_t rotation = -1;    // irot, anticlockwise degrees
    int32_t mirrorAxis = -1;  // imir
};

struct HeifMeta {
    uint32_t handler = 0;
    bool hasPrimary = false;
    uint32_t primaryId = 0;
    std::vector<HeifItem> items;
    std::vector<HeifLocation> locations;
    std::vector<HeifReference> references;
    std::vector<HeifItemProperties> properties;
    bool hasIdat = false;
    ByteView idat;             // the payload of the idat box, inside the meta box's bytes
    uint64_t idatPosition = 0; // where that payload lies within the meta box's bytes
};

// Reads the meta box whose bytes (header included) are meta; problems are
// reported as non-fatal lines and the parts that can be read are kept.
void ParseHeifMeta(ByteView meta, Report& report, HeifMeta& parsed);

const HeifItem* FindHeifItem(const HeifMeta& meta, uint32_t id);
const HeifLocation* FindHeifLocation(const HeifMeta& meta, uint32_t id);
const HeifItemProperties* FindHeifProperties(const HeifMeta& meta, uint32_t id);
