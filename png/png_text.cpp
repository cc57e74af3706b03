// Metadata in PNG text chunks: XMP in iTXt, and the raw profiles in hex.
#include "png/png_text.h"

#include <cstring>
#include <string>

#include "core/read_at.h"
#include "png/bounded_inflate.h"

namespace {

enum class Carried { XmpPacket, ExifProfile, App1Profile, IptcProfile, PhotoshopProfile, XmpProfile };

struct KeywordRole {
    const char* keyword;
    Carried carried;
};

const KeywordRole kKeywords[] = {
    {"XML:com.adobe.xmp", Carried::XmpPacket},
    {"Raw profile type exif", Carried::ExifProfile},
    {"Raw profile type APP1", Carried::App1Profile},
    {"Raw profile type iptc", Carried::IptcProfile},
    {"Raw profile type 8bim", Carried::PhotoshopProfile},
    {"Raw profile type xmp", Carried::XmpProfile},
};

constexpr char kExifPrefix[] = "Exif\0\0";
constexpr char kXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";

// The text of a chunk after its keyword, inflated when the chunk says so.
struct ChunkText {
    std::string keyword;
    bool compressed = false;
    ByteView text;
};

// The zero-terminated field at *at; false when it does not end in the view.
bool TakeField(ByteView data, int64_t* at, std::string* field) {
    for (int64_t i = *at; ViewHas(data, i, 1); i++) {
        if (data.data[i] != 0) continue;
        field->assign(reinterpret_cast<const char*>(data.data + *at), static_cast<size_t>(i - *at));
        *at = i + 1;
        return true;
    }
    return false;
}

// Splits a chunk into its keyword and its (maybe compressed) text.
bool SplitChunk(uint32_t type, ByteView data, ChunkText* chunk) {
    int64_t at = 0;
    if (!TakeField(data, &at, &chunk->keyword)) return false;
    uint8_t flag = 0;
    uint8_t method = 0;
    std::string skipped;
    if (type == FourCc("zTXt")) {  // a compression method, then the stream
        if (!ReadU8(data, at, &method) || method != 0) return false;
        chunk->compressed = true;
        at += 1;
    } else if (type == FourCc("iTXt")) {  // flag, method, language, translated keyword
        if (!ReadU8(data, at, &flag) || !ReadU8(data, at + 1, &method)) return false;
        at += 2;
        if (!TakeField(data, &at, &skipped) || !TakeField(data, &at, &skipped)) return false;
        chunk->compressed = flag != 0;
    }
    chunk->text = TailView(data, at);
    return true;
}

const KeywordRole* RoleOf(const std::string& keyword) {
    for (const KeywordRole& row : kKeywords) {
        if (keyword == row.keyword) return &row;
    }
    return nullptr;
}

void Keep(FoundBlock& block, std::vector<uint8_t> bytes, size_t skip, uint64_t fileOffset, std::string where) {
    block.present = true;
    block.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end());
    block.fileOffset = fileOffset;
    block.where = std::move(where);
}

// An APP1 profile is the segment's payload: EXIF after "Exif\0\0", or XMP
// after its namespace name.
void KeepApp1(std::vector<uint8_t> bytes, uint64_t fileOffset, const std::string& where, Report& report,
              FoundBlocks& found) {
    const ByteView view = MakeView(bytes);
    if (ViewMatches(view, 0, kExifPrefix, 6)) {
        if (!found.exif.present) Keep(found.exif, std::move(bytes), 6, fileOffset, where);
    } else if (ViewMatches(view, 0, kXmpNamespace, sizeof kXmpNamespace)) {
        if (!found.xmp.present) Keep(found.xmp, std::move(bytes), sizeof kXmpNamespace, fileOffset, where);
    } else {
        ReportNonfatal(report, "PNG: %s holds neither EXIF nor XMP\r\n", where.c_str());
    }
}

void KeepProfile(Carried carried, std::vector<uint8_t> bytes, uint64_t fileOffset, const std::string& where,
                 Report& report, FoundBlocks& found) {
    const ByteView view = MakeView(bytes);
    switch (carried) {
        case Carried::ExifProfile:
            if (found.exif.present) return;
            Keep(found.exif, std::move(bytes), ViewMatches(view, 0, kExifPrefix, 6) ? 6 : 0, fileOffset, where);
            return;
        case Carried::App1Profile: KeepApp1(std::move(bytes), fileOffset, where, report, found); return;
        case Carried::IptcProfile:
        case Carried::PhotoshopProfile:
            // ImageMagick keeps IPTC inside Photoshop resources; bare datasets begin with 0x1C.
            if (ViewMatches(view, 0, "8BIM", 4)) {
                if (!found.photoshop.present) Keep(found.photoshop, std::move(bytes), 0, fileOffset, where);
            } else if (ViewMatches(view, 0, "\x1c", 1)) {
                if (!found.iptc.present) Keep(found.iptc, std::move(bytes), 0, fileOffset, where);
            } else {
                ReportNonfatal(report, "PNG: %s holds neither Photoshop resources nor IPTC\r\n", where.c_str());
            }
            return;
        default:
            if (!found.xmp.present) Keep(found.xmp, std::move(bytes), 0, fileOffset, where);
            return;
    }
}

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(uint8_t c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

}  // namespace

bool DecodeRawProfile(ByteView text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    size_t at = 0;
    while (at < text.size && text.data[at] == '\n') at++;
    while (at < text.size && text.data[at] != '\n') at++;  // the profile's name
    while (at < text.size && IsSpace(text.data[at])) at++;
    uint64_t length = 0;
    size_t digits = 0;
    for (; at < text.size && text.data[at] >= '0' && text.data[at] <= '9' && digits < 12; at++, digits++) {
        length = length * 10 + (text.data[at] - '0');
    }
    // Two hex digits a byte: a length the text cannot hold is a lie.
    if (digits == 0 || length > (text.size - at) / 2) return false;
    bytes.reserve(static_cast<size_t>(length));
    int high = -1;
    for (; at < text.size && bytes.size() < length; at++) {
        const uint8_t c = text.data[at];
        if (IsSpace(c)) continue;
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    return bytes.size() == length;
}

void ReadPngTextChunk(uint32_t type, ByteView data, uint64_t fileOffset, Report& report, FoundBlocks& found) {
    ChunkText chunk;
    if (!SplitChunk(type, data, &chunk)) {
        ReportNonfatal(report, "PNG: a '%s' chunk at %llu is malformed\r\n", FourCcOf(type).text,
                       static_cast<unsigned long long>(fileOffset));
        return;
    }
    const KeywordRole* role = RoleOf(chunk.keyword);
    if (role == nullptr) return;
    const std::string where = FormatText("PNG chunk %s '%s'", FourCcOf(type).text, chunk.keyword.c_str());
    std::vector<uint8_t> inflated;
    ByteView text = chunk.text;
    if (chunk.compressed) {
        const InflateResult result = InflateBounded(chunk.text, kMostBlockBytes, inflated);
        if (result == InflateResult::TooLarge) {
            ReportNonfatal(report, "PNG: %s inflates to more than %llu bytes; it is not read\r\n", where.c_str(),
                           static_cast<unsigned long long>(kMostBlockBytes));
            return;
        }
        if (result == InflateResult::Damaged) {
            ReportNonfatal(report, "PNG: %s does not inflate\r\n", where.c_str());
            return;
        }
        text = MakeView(inflated);
    }
    if (role->carried == Carried::XmpPacket) {
        if (!found.xmp.present) Keep(found.xmp, std::vector<uint8_t>(text.data, text.data + text.size), 0, fileOffset, where);
        return;
    }
    std::vector<uint8_t> profile;
    if (!DecodeRawProfile(text, profile)) {
        ReportNonfatal(report, "PNG: %s is not a profile in hex\r\n", where.c_str());
        return;
    }
    KeepProfile(role->carried, std::move(profile), fileOffset, where, report, found);
}
