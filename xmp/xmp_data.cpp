// The XMP properties of one file, with Extended XMP merged in.
#include <cstring>

#include "core/jpeg_markers.h"
#include "xmp/xmp.h"
#include "xmp/xmp_extension.h"
#include "xmp/xmp_properties.h"

namespace {

constexpr char kXmpNoteNamespace[] = "http://ns.adobe.com/xmp/note/";
constexpr char kPacketSignature[] = "http:";
constexpr char kExtensionSignature[] = "http://ns.adobe.com/xmp/extension/";

ByteView PayloadOf(const JpegSegment& segment) { return TailView(SegmentView(segment), 2); }

// The packet follows its namespace name's zero byte.
ByteView PacketOf(ByteView payload) {
    const void* zero = payload.size > 0 ? std::memchr(payload.data, 0, payload.size) : nullptr;
    if (zero == nullptr) return payload;
    return TailView(payload, static_cast<const uint8_t*>(zero) - payload.data + 1);
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::vector<XmpExtensionPiece> ExtensionPieces(const SegmentList& list) {
    std::vector<XmpExtensionPiece> pieces;
    for (int32_t i = 0; i < list.count; i++) {
        const JpegSegment& segment = list.entries[static_cast<size_t>(i)];
        XmpExtensionPiece piece;
        if (segment.marker == kMarkerApp1 && ReadXmpExtensionPiece(PayloadOf(segment), &piece)) pieces.push_back(piece);
    }
    return pieces;
}

// The extension the packet announces, put together, read and merged; a
// piece of any other extension is named and left.
void MergeExtension(DecodedData& data, const SegmentList& list) {
    const std::vector<XmpExtensionPiece> pieces = ExtensionPieces(list);
    const std::string* announced = FirstXmpValue(data, kXmpNoteNamespace, "HasExtendedXMP");
    for (const XmpExtensionPiece& piece : pieces) {
        if (announced != nullptr && piece.guid == *announced) continue;
        const std::string message = "XMP extension " + piece.guid + " is not the one the packet announces; not read";
        if (data.xmpMessages.empty() || data.xmpMessages.back() != message) data.xmpMessages.push_back(message);
    }
    if (announced == nullptr) return;
    const std::string guid = *announced;
    std::vector<uint8_t> whole;
    std::string message;
    if (!ReassembleXmpExtension(pieces, guid, &whole, &message)) {
        data.xmpMessages.push_back(message);
        return;
    }
    data.xmpBytes += static_cast<int64_t>(whole.size());
    ReadXmpProperties(MakeView(whole), data.xmpProperties, data.xmpMessages);
}

}  // namespace

std::string UnpaddedXmpPacket(const std::string& packet) {
    size_t end = packet.size();
    const size_t trailer = packet.rfind("<?xpacket end");
    if (trailer != std::string::npos) {
        const size_t close = packet.find("?>", trailer);
        if (close != std::string::npos) {
            // What follows the trailer goes; so does the padding before it.
            size_t padded = trailer;
            while (padded > 0 && IsWhite(packet[padded - 1])) padded--;
            std::string unpadded = packet.substr(0, padded);
            if (padded > 0) unpadded += '\n';
            unpadded.append(packet, trailer, close + 2 - trailer);
            return unpadded;
        }
    }
    while (end > 0 && IsWhite(packet[end - 1])) end--;
    return packet.substr(0, end);
}

void DecodeXmpPacket(DecodedData& data, ByteView packet) {
    data.hasXmp = true;
    data.xmpPacket.assign(reinterpret_cast<const char*>(packet.data), packet.size);
    data.xmpPacketUnpadded = UnpaddedXmpPacket(data.xmpPacket);
    data.xmpBytes = static_cast<int64_t>(packet.size);
    ReadXmpProperties(packet, data.xmpProperties, data.xmpMessages);
}

void DecodeJpegXmp(Analysis& analysis) {
    const SegmentList& list = analysis.segments;
    for (int32_t i = 0; i < list.count; i++) {
        const JpegSegment& segment = list.entries[static_cast<size_t>(i)];
        const ByteView payload = PayloadOf(segment);
        if (segment.marker != kMarkerApp1 || !ViewMatches(payload, 0, kPacketSignature, 5)) continue;
        if (ViewMatches(payload, 0, kExtensionSignature, sizeof kExtensionSignature)) continue;
        DecodeXmpPacket(analysis.decoded, PacketOf(payload));
        MergeExtension(analysis.decoded, list);
        return;
    }
}
