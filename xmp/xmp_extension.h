// Extended XMP in JPEG: what does not fit in one segment, stored in pieces
// of segments of their own and put back together here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// The extension's bytes as its pieces in order, read as one run of bytes
// without being copied together: a phone's extension runs to megabytes of
// pictures, of which only the names and the places of values are read.
class XmpExtensionText {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    XmpExtensionText() = default;
    explicit XmpExtensionText(std::vector<ByteView> pieces);

    size_t size() const { return size_; }
    char At(size_t at) const;  // at < size()
    // The first place of c, or of word, at or after from; npos for none.
    size_t Find(char c, size_t from) const;
    size_t Find(std::string_view word, size_t from) const;
    // Appends the bytes from `from` up to `to` (from <= to <= size()).
    void AppendTo(std::string& out, size_t from, size_t to) const;

private:
    size_t PieceAt(size_t at) const;

    std::vector<ByteView> pieces_;
    std::vector<size_t> starts_;  // where each piece starts in the whole
    size_t size_ = 0;
};

// The extension guid, from its pieces in offset order. Nothing is allocated
// until the pieces are known to cover its full length exactly once; false
// with a message when a piece is missing, overlaps another, or disagrees on
// the full length. The text is the pieces' own bytes, valid while they are.
bool ReassembleXmpExtension(const std::vector<XmpExtensionPiece>& pieces, const std::string& guid,
                            XmpExtensionText* whole, std::string* message);
