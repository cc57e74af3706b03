// The TIFF family told apart: DNGVersion first, then the header, then a
// raw Compression code only one maker uses, then the maker's name.
#include "tiff/tiff_file_type.h"

#include <cstring>

namespace {

struct CompressionType {
    uint16_t compression;
    FileType type;
};

const CompressionType kMakerCompressions[] = {
    {34713, FileType::Nef},  // Nikon NEF compressed
    {32767, FileType::Arw},  // Sony ARW compressed
    {32770, FileType::Srw},  // Samsung SRW compressed
    {65000, FileType::Dcr},  // Kodak DCR compressed
    {32867, FileType::Kdc},  // Kodak KDC compressed
    {65535, FileType::Pef},  // Pentax PEF compressed
};

// Make as the cameras write it, compared from its start. Nikon's compact
// cameras write "NIKON" alone and NRW files, its other cameras "NIKON
// CORPORATION" and NEF files; so the exact name goes first.
struct MakeType {
    const char* make;
    bool exact;
    FileType type;
};

const MakeType kMakes[] = {
    {"NIKON", true, FileType::Nrw},
    {"NIKON", false, FileType::Nef},
    {"SONY", false, FileType::Arw},
    {"PENTAX", false, FileType::Pef},
    {"RICOH IMAGING", false, FileType::Pef},
    {"SAMSUNG", false, FileType::Srw},
    {"Hasselblad", false, FileType::ThreeFr},
    {"SEIKO EPSON", false, FileType::Erf},
    {"EASTMAN KODAK", false, FileType::Dcr},
    {"Kodak", false, FileType::Kdc},
    {"Leaf", false, FileType::Mos},
    {"Phase One", false, FileType::Iiq},
};

FileType TypeOfMake(const std::string& make) {
    for (const MakeType& row : kMakes) {
        const size_t length = std::strlen(row.make);
        if (make.compare(0, length, row.make) != 0) continue;
        if (row.exact && make.size() != length) continue;
        return row.type;
    }
    return FileType::Tiff;
}

}  // namespace

bool IsMakerCompression(uint16_t compression) {
    for (const CompressionType& row : kMakerCompressions) {
        if (row.compression == compression) return true;
    }
    return false;
}

FileType TiffFileType(const TiffTypeClues& clues) {
    if (clues.dngVersion) return FileType::Dng;
    if (clues.header != FileType::Tiff) return clues.header;
    for (const CompressionType& row : kMakerCompressions) {
        if (row.compression == clues.rawCompression) return row.type;
    }
    return TypeOfMake(clues.make);
}
