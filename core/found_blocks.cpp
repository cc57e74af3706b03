// The names and MIME types of the file types.
#include "core/found_blocks.h"

namespace {

struct TypeNames {
    FileType type;
    const char* name;
    const char* mime;
};

const TypeNames kTypeNames[] = {
    {FileType::Unknown, "", "application/octet-stream"},
    {FileType::Jpeg, "JPEG", "image/jpeg"},
    {FileType::Tiff, "TIFF", "image/tiff"},
    {FileType::Dng, "DNG", "image/x-adobe-dng"},
    {FileType::Cr2, "CR2", "image/x-canon-cr2"},
    {FileType::Nef, "NEF", "image/x-nikon-nef"},
    {FileType::Nrw, "NRW", "image/x-nikon-nrw"},
    {FileType::Arw, "ARW", "image/x-sony-arw"},
    {FileType::Sr2, "SR2", "image/x-sony-sr2"},
    {FileType::Srf, "SRF", "image/x-sony-srf"},
    {FileType::Pef, "PEF", "image/x-pentax-pef"},
    {FileType::Srw, "SRW", "image/x-samsung-srw"},
    {FileType::ThreeFr, "3FR", "image/x-hasselblad-3fr"},
    {FileType::Erf, "ERF", "image/x-epson-erf"},
    {FileType::Kdc, "KDC", "image/x-kodak-kdc"},
    {FileType::Dcr, "DCR", "image/x-kodak-dcr"},
    {FileType::Mos, "MOS", "image/x-raw"},
    {FileType::Iiq, "IIQ", "image/x-raw"},
    {FileType::Orf, "ORF", "image/x-olympus-orf"},
    {FileType::Rw2, "RW2", "image/x-panasonic-rw2"},
    {FileType::Raf, "RAF", "image/x-fujifilm-raf"},
    {FileType::Heic, "HEIC", "image/heic"},
    {FileType::Heif, "HEIF", "image/heif"},
    {FileType::Avif, "AVIF", "image/avif"},
    {FileType::Cr3, "CR3", "image/x-canon-cr3"},
    {FileType::Png, "PNG", "image/png"},
    {FileType::Webp, "WEBP", "image/webp"},
    {FileType::WebpExtended, "Extended WEBP", "image/webp"},
};

const TypeNames& NamesOf(FileType type) {
    for (const TypeNames& names : kTypeNames) {
        if (names.type == type) return names;
    }
    return kTypeNames[0];
}

}  // namespace

const char* FileTypeName(FileType type) { return NamesOf(type).name; }
const char* FileTypeMime(FileType type) { return NamesOf(type).mime; }
