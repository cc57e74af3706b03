// The signatures of the containers read, one row each.
#include "core/detect_file_type.h"

namespace {

struct Signature {
    size_t offset;
    const char* bytes;
    size_t count;
    FileType type;
};

// Rows are tried in order, the first that matches wins: a longer, more
// particular signature goes before a shorter one it shares a start with.
const Signature kSignatures[] = {
    {0, "\xFF\xD8", 2, FileType::Jpeg},
    {0, "II*\0", 4, FileType::Tiff},
    {0, "MM\0*", 4, FileType::Tiff},
    {0, "IIRO", 4, FileType::Orf},
    {0, "IIRS", 4, FileType::Orf},
    {0, "MMOR", 4, FileType::Orf},
    {0, "IIU\0", 4, FileType::Rw2},
    {0, "FUJIFILMCCD-RAW ", 16, FileType::Raf},
};

}  // namespace

bool IsTiffStructured(FileType type) {
    switch (type) {
        case FileType::Unknown:
        case FileType::Jpeg:
        case FileType::Raf:
        case FileType::Heic:
        case FileType::Heif:
        case FileType::Avif:
        case FileType::Cr3:
        case FileType::Png:
        case FileType::Webp:
            return false;
        default:
            return true;
    }
}

FileType DetectFileType(ByteView firstBytes) {
    for (const Signature& signature : kSignatures) {
        if (ViewMatches(firstBytes, static_cast<int64_t>(signature.offset), signature.bytes, signature.count)) {
            return signature.type;
        }
    }
    return FileType::Unknown;
}
