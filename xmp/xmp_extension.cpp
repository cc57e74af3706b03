// The pieces of an Extended XMP packet, checked and put together.
#include "xmp/xmp_extension.h"

#include <algorithm>

namespace {

constexpr char kSignature[] = "http://ns.adobe.com/xmp/extension/";
constexpr int64_t kSignatureLength = sizeof kSignature;  // with its zero byte
constexpr int64_t kGuidLength = 32;
constexpr int64_t kHeaderLength = kSignatureLength + kGuidLength + 8;

std::string Describe(const std::string& guid, const std::string& what) {
    return "XMP extension " + guid + ": " + what + "; the extension is not read";
}

}  // namespace

bool ReadXmpExtensionPiece(ByteView payload, XmpExtensionPiece* piece) {
    if (!ViewMatches(payload, 0, kSignature, static_cast<size_t>(kSignatureLength))) return false;
    ByteView guid;
    if (!SubView(payload, kSignatureLength, kGuidLength, &guid)) return false;
    if (!ReadU32At(payload, kSignatureLength + kGuidLength, true, &piece->fullLength)) return false;
    if (!ReadU32At(payload, kSignatureLength + kGuidLength + 4, true, &piece->offset)) return false;
    piece->guid.assign(reinterpret_cast<const char*>(guid.data), guid.size);
    piece->bytes = TailView(payload, kHeaderLength);
    return true;
}

bool ReassembleXmpExtension(const std::vector<XmpExtensionPiece>& pieces, const std::string& guid,
                            std::vector<uint8_t>* whole, std::string* message) {
    std::vector<const XmpExtensionPiece*> mine;
    for (const XmpExtensionPiece& piece : pieces) {
        if (piece.guid == guid) mine.push_back(&piece);
    }
    if (mine.empty()) {
        *message = Describe(guid, "announced by the packet, but no piece of it is in the file");
        return false;
    }
    std::stable_sort(mine.begin(), mine.end(),
                     [](const XmpExtensionPiece* a, const XmpExtensionPiece* b) { return a->offset < b->offset; });
    const uint64_t fullLength = mine.front()->fullLength;
    uint64_t covered = 0;
    for (const XmpExtensionPiece* piece : mine) {
        if (piece->fullLength != fullLength) {
            *message = Describe(guid, "its pieces disagree on its length (" + std::to_string(fullLength) + " and " +
                                          std::to_string(piece->fullLength) + " bytes)");
            return false;
        }
        if (piece->offset < covered) {
            *message = Describe(guid, "the piece at offset " + std::to_string(piece->offset) +
                                          " overlaps the one before it");
            return false;
        }
        if (piece->offset > covered) break;
        covered += piece->bytes.size;
    }
    if (covered != fullLength) {
        *message = Describe(guid, std::to_string(fullLength) + " bytes long, but its pieces hold " +
                                      (covered < fullLength ? "only the first " + std::to_string(covered)
                                                            : std::to_string(covered)) +
                                      " bytes");
        return false;
    }
    // The pieces cover the whole exactly: its length is what the file holds.
    whole->clear();
    whole->reserve(static_cast<size_t>(fullLength));
    for (const XmpExtensionPiece* piece : mine) whole->insert(whole->end(), piece->bytes.data, piece->bytes.data + piece->bytes.size);
    return true;
}
