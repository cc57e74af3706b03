// The walk of a PNG file's chunks, each read by offset and only when it
// carries something we show.
#include "png/png_reader.h"

#include <zlib.h>

#include "core/read_at.h"
#include "png/png_text.h"

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr uint64_t kSignatureBytes = 8;
// Length and type before the data, the CRC after it.
constexpr uint64_t kChunkHeaderBytes = 8;
constexpr uint64_t kChunkFrameBytes = 12;
// A chunk's length may not exceed 2^31 - 1.
constexpr uint32_t kLongestChunk = 0x7FFFFFFF;
constexpr int kMostChunks = 100000;

bool WantedChunk(uint32_t type) {
    return type == FourCc("IHDR") || type == FourCc("eXIf") || type == FourCc("tEXt") || type == FourCc("zTXt") ||
           type == FourCc("iTXt");
}

// The CRC covers the type and the data.
bool CrcMatches(uint32_t type, const std::vector<uint8_t>& data, uint32_t stored) {
    const uint8_t typeBytes[4] = {uint8_t(type >> 24), uint8_t(type >> 16), uint8_t(type >> 8), uint8_t(type)};
    uLong crc = crc32(0L, typeBytes, 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    return static_cast<uint32_t>(crc) == stored;
}

void UseChunk(uint32_t type, const std::vector<uint8_t>& data, uint64_t dataOffset, Report& report,
              FoundBlocks& found) {
    const ByteView view = MakeView(data);
    if (type == FourCc("IHDR")) {
        uint32_t width = 0;
        uint32_t height = 0;
        if (ReadU32At(view, 0, true, &width) && ReadU32At(view, 4, true, &height)) {
            found.width = width;
            found.height = height;
        }
    } else if (type == FourCc("eXIf")) {
        if (found.exif.present) return;
        // Some writers keep the APP1 signature before the TIFF header.
        const size_t skip = ViewMatches(view, 0, "Exif\0\0", 6) ? 6 : 0;
        found.exif.present = true;
        found.exif.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(skip), data.end());
        found.exif.fileOffset = dataOffset + skip;
        found.exif.where = "PNG chunk eXIf";
    } else {
        ReadPngTextChunk(type, view, dataOffset, report, found);
    }
}

// Reads a wanted chunk's data and checks its CRC before using it.
void ReadWantedChunk(ByteSource& source, uint64_t fileSize, uint64_t at, uint32_t type, uint32_t length,
                     Report& report, FoundBlocks& found) {
    const uint64_t dataOffset = at + kChunkHeaderBytes;
    std::vector<uint8_t> data;
    uint8_t crcBytes[4];
    uint32_t crc = 0;
    if (!ReadBlockAt(source, fileSize, dataOffset, length, data) ||
        SourceReadAt(source, dataOffset + length, crcBytes, 4) != 4) {
        ReportNonfatal(report, "PNG: chunk '%s' at %llu of %lu bytes is not read\r\n", FourCcOf(type).text,
                       static_cast<unsigned long long>(at), static_cast<unsigned long>(length));
        return;
    }
    ReadU32At(MakeView(crcBytes, 4), 0, true, &crc);
    if (!CrcMatches(type, data, crc)) {
        ReportNonfatal(report, "PNG: chunk '%s' at %llu fails its CRC\r\n", FourCcOf(type).text,
                       static_cast<unsigned long long>(at));
    }
    UseChunk(type, data, dataOffset, report, found);
}

}  // namespace

bool ReadPngBlocks(ByteSource& source, Report& report, FoundBlocks& found) {
    uint64_t fileSize = 0;
    uint8_t head[kSignatureBytes] = {};
    if (!SourceSize(source, &fileSize) || SourceReadAt(source, 0, head, sizeof head) != sizeof head ||
        !ViewMatches(MakeView(head, sizeof head), 0, kSignature, kSignatureBytes)) {
        return false;
    }
    found.type = FileType::Png;
    bool imageData = false;
    uint64_t at = kSignatureBytes;
    for (int chunks = 0; chunks < kMostChunks; chunks++) {
        uint8_t header[kChunkHeaderBytes] = {};
        uint32_t length = 0;
        uint32_t type = 0;
        if (SourceReadAt(source, at, header, sizeof header) != sizeof header) {
            if (!imageData) {
                ReportNonfatal(report, "PNG: the file ends at %llu before its image data (IDAT)\r\n",
                               static_cast<unsigned long long>(at));
            }
            return true;
        }
        ReadU32At(MakeView(header, sizeof header), 0, true, &length);
        ReadU32At(MakeView(header, sizeof header), 4, true, &type);
        if (length > kLongestChunk || !RangeWithin(at, kChunkFrameBytes + length, fileSize)) {
            ReportNonfatal(report, "PNG: chunk '%s' at %llu of %lu bytes runs past the end of the file\r\n",
                           FourCcOf(type).text, static_cast<unsigned long long>(at), static_cast<unsigned long>(length));
            return true;
        }
        if (chunks == 0 && type != FourCc("IHDR")) ReportNonfatal(report, "PNG: the first chunk is not IHDR\r\n");
        if (type == FourCc("IEND")) return true;
        // ImageMagick writes eXIf after the image data: the walk goes on to
        // IEND, reading only the headers of the image data chunks.
        if (type == FourCc("IDAT")) imageData = true;
        if (WantedChunk(type)) ReadWantedChunk(source, fileSize, at, type, length, report, found);
        at += kChunkFrameBytes + length;
    }
    ReportNonfatal(report, "PNG: more than %d chunks; the rest are not read\r\n", kMostChunks);
    return true;
}
