// Signatures of PNG, WebP and the ISO base media files, and the brands of
// their ftyp box.
#include "core/container_signature.h"

#include "core/read_at.h"

namespace {

struct BrandType {
    char brand[5];
    FileType type;
};

// The brands of still pictures and picture sequences in HEIF (HEVC coded:
// HEIC), AVIF, and Canon's RAW. The major brand decides, as exiftool's
// FileType does: mif1 is HEIF even when its compatible brands say heic.
const BrandType kBrandTypes[] = {
    {"heic", FileType::Heic}, {"heix", FileType::Heif}, {"hevc", FileType::Heic}, {"hevx", FileType::Heic},
    {"heim", FileType::Heic}, {"heis", FileType::Heic}, {"mif1", FileType::Heif}, {"msf1", FileType::Heif},
    {"avif", FileType::Avif}, {"avis", FileType::Avif}, {"crx ", FileType::Cr3},
};

// Bytes at the start and, for RIFF, a form type at byte 8 and the type of
// the first chunk at byte 12. The first row that matches decides.
struct Signature {
    const char* start;
    size_t startCount;
    const char* form;        // at byte 8, or nullptr
    const char* firstChunk;  // at byte 12, or nullptr
    FileType type;
};

const Signature kSignatures[] = {
    {"\x89PNG\r\n\x1a\n", 8, nullptr, nullptr, FileType::Png},
    {"RIFF", 4, "WEBP", "VP8X", FileType::WebpExtended},
    {"RIFF", 4, "WEBP", nullptr, FileType::Webp},
};

uint32_t BrandAt(ByteView view, int64_t offset) {
    uint32_t brand = 0;
    ReadU32At(view, offset, true, &brand);
    return brand;
}

}  // namespace

FileType FileTypeOfBrand(uint32_t brand) {
    for (const BrandType& row : kBrandTypes) {
        if (FourCc(row.brand) == brand) return row.type;
    }
    return FileType::Unknown;
}

FileType FileTypeOfBrands(ByteView ftypPayload) {
    if (!ViewHas(ftypPayload, 0, 4)) return FileType::Unknown;
    const FileType major = FileTypeOfBrand(BrandAt(ftypPayload, 0));
    if (major != FileType::Unknown) return major;
    // Compatible brands follow the major brand and the minor version.
    for (int64_t at = 8; ViewHas(ftypPayload, at, 4); at += 4) {
        const FileType compatible = FileTypeOfBrand(BrandAt(ftypPayload, at));
        if (compatible != FileType::Unknown) return compatible;
    }
    return FileType::Unknown;
}

FileType DetectContainerType(ByteView head) {
    for (const Signature& row : kSignatures) {
        if (!ViewMatches(head, 0, row.start, row.startCount)) continue;
        if (row.form != nullptr && !ViewMatches(head, 8, row.form, 4)) continue;
        if (row.firstChunk != nullptr && !ViewMatches(head, 12, row.firstChunk, 4)) continue;
        return row.type;
    }
    uint32_t size = 0;
    if (ViewMatches(head, 4, "ftyp", 4) && ReadU32At(head, 0, true, &size) && size >= 16) {
        ByteView payload;
        const int64_t shown = size < head.size ? size : static_cast<int64_t>(head.size);
        if (SubView(head, 8, shown - 8, &payload)) return FileTypeOfBrands(payload);
    }
    return FileType::Unknown;
}
