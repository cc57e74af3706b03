// The pieces of an Extended XMP packet, checked and put together.
#include "xmp/xmp_extension.h"

#include <algorithm>
#include <cstring>
#include <utility>

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
                            XmpExtensionText* whole, std::string* message) {
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
    std::vector<ByteView> ordered;
    ordered.reserve(mine.size());
    for (const XmpExtensionPiece* piece : mine) ordered.push_back(piece->bytes);
    *whole = XmpExtensionText(std::move(ordered));
    return true;
}

XmpExtensionText::XmpExtensionText(std::vector<ByteView> pieces) : pieces_(std::move(pieces)) {
    starts_.reserve(pieces_.size());
    for (const ByteView& piece : pieces_) {
        starts_.push_back(size_);
        size_ += piece.size;
    }
}

// The piece holding byte at (< size()): the last that starts at or before
// it, so that an empty piece is never the one.
size_t XmpExtensionText::PieceAt(size_t at) const {
    return static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) - starts_.begin()) - 1;
}

char XmpExtensionText::At(size_t at) const {
    const size_t i = PieceAt(at);
    return static_cast<char>(pieces_[i].data[at - starts_[i]]);
}

size_t XmpExtensionText::Find(char c, size_t from) const {
    if (from >= size_) return npos;
    for (size_t i = PieceAt(from); i < pieces_.size(); i++) {
        const size_t begin = from > starts_[i] ? from - starts_[i] : 0;
        if (begin >= pieces_[i].size) continue;
        const void* hit = std::memchr(pieces_[i].data + begin, c, pieces_[i].size - begin);
        if (hit != nullptr) return starts_[i] + static_cast<size_t>(static_cast<const uint8_t*>(hit) - pieces_[i].data);
    }
    return npos;
}

size_t XmpExtensionText::Find(std::string_view word, size_t from) const {
    if (word.empty()) return from <= size_ ? from : npos;
    for (size_t at = Find(word[0], from); at != npos; at = Find(word[0], at + 1)) {
        if (word.size() > size_ - at) return npos;
        size_t matched = 1;
        while (matched < word.size() && At(at + matched) == word[matched]) matched++;
        if (matched == word.size()) return at;
    }
    return npos;
}

void XmpExtensionText::AppendTo(std::string& out, size_t from, size_t to) const {
    if (from >= to) return;
    for (size_t i = PieceAt(from); i < pieces_.size() && starts_[i] < to; i++) {
        const size_t begin = from > starts_[i] ? from - starts_[i] : 0;
        const size_t end = to - starts_[i] < pieces_[i].size ? to - starts_[i] : pieces_[i].size;
        if (end > begin) out.append(reinterpret_cast<const char*>(pieces_[i].data) + begin, end - begin);
    }
}
