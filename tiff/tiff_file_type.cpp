// The TIFF family told apart: DNGVersion first, then the header, then a
// raw Compression code only one maker uses, then the maker's name and, for
// Sony's older formats, the camera's.
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

// Make as the cameras write it, compared from its start, and where one
// maker wrote several formats, the Model's start too. Nikon's compact
// cameras write "NIKON" alone and NRW files, its other cameras "NIKON
// CORPORATION" and NEF files; so the exact name goes first. Sony's DSC-R1
// alone wrote SR2 files and the DSC-F828 and DSC-V3 SRF files: nothing
// else in them differs from an uncompressed ARW, so the model tells them.
// SR2, SRF, 3FR, ERF, MOS and IIQ files carry no mark of their own beyond
// the camera's name (exiftool types them by the file's name alone, and a
// .tif one as TIFF); the name of the file is never looked at here.
struct MakeType {
    const char* make;
    bool exact;
    const char* model;  // nullptr: any
    FileType type;
};

const MakeType kMakes[] = {
    {"NIKON", true, nullptr, FileType::Nrw},
    {"NIKON", false, nullptr, FileType::Nef},
    {"SONY", false, "DSC-R1", FileType::Sr2},
    {"SONY", false, "DSC-F828", FileType::Srf},
    {"SONY", false, "DSC-V3", FileType::Srf},
    {"SONY", false, nullptr, FileType::Arw},
    {"PENTAX", false, nullptr, FileType::Pef},
    {"RICOH IMAGING", false, nullptr, FileType::Pef},
    {"SAMSUNG", false, nullptr, FileType::Srw},
    {"Hasselblad", false, nullptr, FileType::ThreeFr},
    {"SEIKO EPSON", false, nullptr, FileType::Erf},
    {"EASTMAN KODAK", false, nullptr, FileType::Dcr},
    {"Kodak", false, nullptr, FileType::Kdc},
    {"Leaf", false, nullptr, FileType::Mos},
    {"Phase One", false, nullptr, FileType::Iiq},
};

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

FileType TypeOfCamera(const std::string& make, const std::string& model) {
    for (const MakeType& row : kMakes) {
        if (!StartsWith(make, row.make)) continue;
        if (row.exact && make.size() != std::strlen(row.make)) continue;
        if (row.model != nullptr && !StartsWith(model, row.model)) continue;
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
    // Nikon's NRW keeps its JPEG preview in IFD0, where a NEF has a small
    // RGB thumbnail; both hold their raw data in Nikon's compression.
    if (clues.rawCompression == 34713 && clues.firstHoldsJpeg) return FileType::Nrw;
    for (const CompressionType& row : kMakerCompressions) {
        if (row.compression == clues.rawCompression) return row.type;
    }
    return TypeOfCamera(clues.make, clues.model);
}
