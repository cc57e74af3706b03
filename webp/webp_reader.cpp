// The walk of a WebP file's chunks, read by offset, each checked against
// the RIFF form's size and the file's.
#include "webp/webp_reader.h"

#include "core/read_at.h"

namespace {

constexpr uint64_t kRiffHeaderBytes = 12;  // "RIFF", size, "WEBP"
constexpr uint64_t kChunkHeaderBytes = 8;
constexpr int kMostChunks = 100000;
// The parts of the picture chunks that give the size.
constexpr uint64_t kVp8xBytes = 10;
constexpr uint64_t kVp8HeaderBytes = 10;
constexpr uint64_t kVp8lHeaderBytes = 5;

uint32_t Little24(ByteView view, int64_t offset) {
    uint8_t b0 = 0, b1 = 0, b2 = 0;
    ReadU8(view, offset, &b0);
    ReadU8(view, offset + 1, &b1);
    ReadU8(view, offset + 2, &b2);
    return uint32_t(b0) | uint32_t(b1) << 8 | uint32_t(b2) << 16;
}

// VP8X: flags, three reserved bytes, canvas width - 1 and height - 1 in 24 bits each.
void ReadExtendedHeader(ByteView data, FoundBlocks& found) {
    found.width = int64_t(Little24(data, 4)) + 1;
    found.height = int64_t(Little24(data, 7)) + 1;
}

// A lossy key frame: 3 bytes of frame tag, the start code 9d 01 2a, then
// 14-bit width and height (the top 2 bits of each are a scale).
void ReadLossyHeader(ByteView data, Report& report, FoundBlocks& found) {
    uint16_t width = 0;
    uint16_t height = 0;
    if (!ViewMatches(data, 3, "\x9d\x01\x2a", 3) || !ReadU16At(data, 6, false, &width) ||
        !ReadU16At(data, 8, false, &height)) {
        ReportNonfatal(report, "WebP: the VP8 chunk has no key frame header\r\n");
        return;
    }
    found.width = width & 0x3FFF;
    found.height = height & 0x3FFF;
}

// A lossless stream: the signature 0x2f, then width - 1 and height - 1 in
// 14 bits each, least significant bit first.
void ReadLosslessHeader(ByteView data, Report& report, FoundBlocks& found) {
    uint8_t signature = 0;
    uint32_t bits = 0;
    if (!ReadU8(data, 0, &signature) || signature != 0x2F || !ReadU32At(data, 1, false, &bits)) {
        ReportNonfatal(report, "WebP: the VP8L chunk has no lossless header\r\n");
        return;
    }
    found.width = int64_t(bits & 0x3FFF) + 1;
    found.height = int64_t((bits >> 14) & 0x3FFF) + 1;
}

void KeepBlock(FoundBlock& block, std::vector<uint8_t>& data, size_t skip, uint64_t offset, const char* where) {
    if (block.present) return;
    block.present = true;
    block.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(skip), data.end());
    block.fileOffset = offset + skip;
    block.where = where;
}

// How much of a chunk is read: a part of the picture chunks, all of the
// metadata chunks, nothing of the rest.
uint64_t BytesWanted(uint32_t type, uint64_t size, bool extended) {
    if (type == FourCc("VP8X")) return kVp8xBytes;
    if (extended) return type == FourCc("EXIF") || type == FourCc("XMP ") ? size : 0;
    if (type == FourCc("VP8 ")) return kVp8HeaderBytes;
    if (type == FourCc("VP8L")) return kVp8lHeaderBytes;
    return type == FourCc("EXIF") || type == FourCc("XMP ") ? size : 0;
}

void UseChunk(uint32_t type, std::vector<uint8_t>& data, uint64_t offset, Report& report, FoundBlocks& found) {
    const ByteView view = MakeView(data);
    if (type == FourCc("VP8X")) {
        ReadExtendedHeader(view, found);
    } else if (type == FourCc("VP8 ")) {
        ReadLossyHeader(view, report, found);
    } else if (type == FourCc("VP8L")) {
        ReadLosslessHeader(view, report, found);
    } else if (type == FourCc("EXIF")) {
        // Some writers keep the APP1 signature before the TIFF header.
        KeepBlock(found.exif, data, ViewMatches(view, 0, "Exif\0\0", 6) ? 6 : 0, offset, "WebP chunk EXIF");
    } else {
        KeepBlock(found.xmp, data, 0, offset, "WebP chunk XMP");
    }
}

// The end of the chunks: the RIFF form's end, or the file's when the
// form claims more than the file holds.
uint64_t ChunksEnd(uint32_t riffSize, uint64_t fileSize, Report& report) {
    const uint64_t formEnd = uint64_t(riffSize) + 8;
    if (formEnd > fileSize) {
        ReportNonfatal(report, "WebP: the RIFF size says %llu bytes, the file has %llu\r\n",
                       static_cast<unsigned long long>(formEnd), static_cast<unsigned long long>(fileSize));
        return fileSize;
    }
    if (formEnd < fileSize) {
        ReportNonfatal(report, "WebP: %llu bytes follow the RIFF form's end\r\n",
                       static_cast<unsigned long long>(fileSize - formEnd));
    }
    return formEnd;
}

// One chunk at at: its header read and checked against the end, the part
// wanted read and used. False when the walk cannot go on past it.
bool ReadChunk(ByteSource& source, uint64_t fileSize, uint64_t end, uint64_t* at, bool* extended, Report& report,
               FoundBlocks& found) {
    uint8_t header[kChunkHeaderBytes] = {};
    uint32_t type = 0;
    uint32_t size = 0;
    if (!RangeWithin(*at, kChunkHeaderBytes, end) || SourceReadAt(source, *at, header, sizeof header) != sizeof header) {
        ReportNonfatal(report, "WebP: a chunk header at %llu is cut off\r\n", static_cast<unsigned long long>(*at));
        return false;
    }
    ReadU32At(MakeView(header, sizeof header), 0, true, &type);
    ReadU32At(MakeView(header, sizeof header), 4, false, &size);
    const uint64_t dataOffset = *at + kChunkHeaderBytes;
    if (!RangeWithin(dataOffset, size, end)) {
        ReportNonfatal(report, "WebP: chunk '%s' at %llu of %lu bytes runs past the end of the %s\r\n",
                       FourCcOf(type).text, static_cast<unsigned long long>(*at), static_cast<unsigned long>(size),
                       end < fileSize ? "RIFF form" : "file");
        return false;
    }
    const uint64_t wanted = BytesWanted(type, size, *extended);
    if (*at == kRiffHeaderBytes && type == FourCc("VP8X")) {
        *extended = true;
        found.type = FileType::WebpExtended;
    }
    std::vector<uint8_t> data;
    if (wanted > 0 && wanted <= size && ReadBlockAt(source, fileSize, dataOffset, wanted, data)) {
        UseChunk(type, data, dataOffset, report, found);
    } else if (wanted > 0) {
        ReportNonfatal(report, "WebP: chunk '%s' at %llu of %lu bytes is not read\r\n", FourCcOf(type).text,
                       static_cast<unsigned long long>(*at), static_cast<unsigned long>(size));
    }
    // Chunks of an odd size are followed by a pad byte.
    *at = dataOffset + size + (size & 1);
    return true;
}

}  // namespace

bool ReadWebpBlocks(ByteSource& source, Report& report, FoundBlocks& found) {
    uint64_t fileSize = 0;
    uint8_t head[kRiffHeaderBytes] = {};
    const ByteView headView = MakeView(head, sizeof head);
    uint32_t riffSize = 0;
    if (!SourceSize(source, &fileSize) || SourceReadAt(source, 0, head, sizeof head) != sizeof head ||
        !ViewMatches(headView, 0, "RIFF", 4) || !ViewMatches(headView, 8, "WEBP", 4)) {
        return false;
    }
    found.type = FileType::Webp;
    ReadU32At(headView, 4, false, &riffSize);
    const uint64_t end = ChunksEnd(riffSize, fileSize, report);
    bool extended = false;
    uint64_t at = kRiffHeaderBytes;
    for (int chunks = 0; at < end; chunks++) {
        if (chunks == kMostChunks) {
            ReportNonfatal(report, "WebP: more than %d chunks\r\n", kMostChunks);
            return true;
        }
        if (!ReadChunk(source, fileSize, end, &at, &extended, report, found)) return true;
    }
    return true;
}
