// What a container reader finds in a file and hands on to the block
// decoders, in one form whatever the container: the EXIF/TIFF block, the
// XMP packet, the Photoshop resources, bare IPTC datasets, a JPEG preview,
// and the main picture's size. JPEG files keep their own road through the
// segment list; every other container fills this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/decoded_data.h"

// What a file is, told by its first bytes and, for the TIFF family, by
// what its directories hold (DNGVersion, Make) as the camera makers' own
// readers tell them apart.
enum class FileType {
    Unknown,
    Jpeg,
    Tiff,
    Dng,
    Cr2,
    Nef,
    Nrw,
    Arw,
    Sr2,
    Srf,
    Pef,
    Srw,
    ThreeFr,
    Erf,
    Kdc,
    Dcr,
    Mos,
    Iiq,
    Orf,
    Rw2,
    Raf,
    Heic,
    Heif,
    Avif,
    Cr3,
    Png,
    Webp,
    WebpExtended,  // a WebP file with the VP8X header, as exiftool names it apart
};

// One block found in a container: its bytes, where its first byte lies in
// the file, and a few words saying where it was found ("IFD0 tag 700",
// "PNG chunk eXIf", "HEIF item 2 (Exif)").
struct FoundBlock {
    bool present = false;
    std::vector<uint8_t> bytes;
    uint64_t fileOffset = 0;
    std::string where;
};

// A TIFF block whose first directory is not IFD0 but the directory named
// (Canon CR3 keeps its Exif and GPS directories in blocks of their own).
struct FoundTiffBlock {
    FoundBlock block;
    DirectoryKind firstDirectory = DirectoryKind::Exif;
};

struct FoundBlocks {
    FileType type = FileType::Unknown;
    FoundBlock exif;       // a TIFF block, from its "II*\0" or "MM\0*" header
    FoundBlock xmp;        // an XMP packet, as stored (may be UTF-16 or carry a BOM)
    FoundBlock photoshop;  // Photoshop image resources ("8BIM" blocks)
    FoundBlock iptc;       // IPTC datasets outside any Photoshop resource
    FoundBlock preview;    // a JPEG preview or thumbnail outside the EXIF block
    std::string previewCoding;   // "JPEG", "HEVC", "AV1": a preview not in JPEG is described, not decoded
    int64_t previewWidth = 0;    // when the container says (HEIF ispe of the thumbnail item)
    int64_t previewHeight = 0;
    int64_t width = 0;     // the main picture, when the container says; 0 otherwise
    int64_t height = 0;
    // Further TIFF blocks for the EXIF decoder, after exif (CR3 CMT2, CMT4).
    std::vector<FoundTiffBlock> moreExif;
    // Maker notes kept by the container outside any TIFF block (CR3 CMT3):
    // where and how large, shown by their size, not read.
    bool makerNotesPresent = false;
    uint64_t makerNotesOffset = 0;
    uint64_t makerNotesByteCount = 0;
    std::string makerNotesWhere;
    // The preview's size in the file, also when its bytes are not read
    // because its coding is one we describe but do not decode.
    uint64_t previewByteCount = 0;
    // The main picture's transformation as the container says it should be
    // shown (HEIF irot, imir); -1 when it says nothing.
    int32_t rotationAnticlockwise = -1;  // degrees: 0, 90, 180, 270
    int32_t mirrorAxis = -1;             // 0 a vertical axis (left and right swap), 1 a horizontal one
};

// The name exiftool gives the type in FileType ("TIFF", "DNG", "CR2", ...),
// and its MIME type.
const char* FileTypeName(FileType type);
const char* FileTypeMime(FileType type);
