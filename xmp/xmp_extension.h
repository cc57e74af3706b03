// Extended XMP in JPEG: what does not fit in one segment, stored in pieces
// of segments of their own and put back together here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_view.h"

// One piece: after "http://ns.adobe.com/xmp/extension/" and its zero byte,
// the GUID of the whole (32 hexadecimal digits, the MD5 of the extension),
// its full length and this piece's offset in it (big-endian), the bytes.
struct XmpExtensionPiece {
    std::string guid;
    uint32_t fullLength = 0;
    uint32_t offset = 0;
    ByteView bytes;
};

// The piece in an APP1 payload (after the two length bytes); false when the
// payload is not an extension piece or too short for its header.
bool ReadXmpExtensionPiece(ByteView payload, XmpExtensionPiece* piece);

// The extension guid, from its pieces in offset order. Nothing is allocated
// until the pieces are known to cover its full length exactly once; false
// with a message when a piece is missing, overlaps another, or disagrees on
// the full length.
bool ReassembleXmpExtension(const std::vector<XmpExtensionPiece>& pieces, const std::string& guid,
                            std::vector<uint8_t>* whole, std::string* message);
