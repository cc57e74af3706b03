// The XMP properties of one file, with Extended XMP merged in.
#include <string>
#include <string_view>

#include "core/jpeg_markers.h"
#include "xmp/xmp.h"
#include "xmp/xmp_extension.h"
#include "xmp/xmp_properties.h"

namespace {

constexpr char kXmpNoteNamespace[] = "http://ns.adobe.com/xmp/note/";
constexpr char kPacketSignature[] = "http:";
constexpr char kExtensionSignature[] = "http://ns.adobe.com/xmp/extension/";

ByteView PayloadOf(const JpegSegment& segment) { return TailView(SegmentView(segment), 2); }

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

// A phone's Extended XMP carries whole pictures as base64 (GImage:Data,
// GDepth:Data, GDepth:Confidence, GAudio:Data): a megabyte that no one reads
// as text, and which the XML parser would take ten times a photograph's
// analysis to tokenise. Each such value longer than this is replaced by its
// decoded size before parsing, as the data writes it.
constexpr size_t kLongestKeptBinaryValue = 4096;

// Where the next binary value's name lies at or after `from`: each name's
// next place is found once and kept until the copy passes it.
struct NameScan {
    const char* name;
    size_t length;
    size_t next;
};

// The value after a name at `at`, as [from, to): an attribute's value to its
// closing quote, or an element's text to the next tag. False for neither.
bool ValueAfterName(const XmpExtensionText& text, size_t after, size_t* from, size_t* to) {
    if (after + 1 >= text.size()) return false;
    const char mark = text.At(after);
    const char quote = text.At(after + 1);
    if (mark == '=' && (quote == '"' || quote == '\'')) {
        *from = after + 2;
        *to = text.Find(quote, *from);
    } else if (mark == '>') {
        *from = after + 1;
        *to = text.Find('<', *from);
    } else {
        return false;
    }
    return *to != XmpExtensionText::npos;
}

// The text with each binary value longer than kLongestKeptBinaryValue
// replaced by "(Binary data N bytes)": one pass over the pieces, copying only
// what stays, so a megabyte of pictures costs one scan and no copy.
std::string WithoutLongBinaryValues(const XmpExtensionText& text) {
    NameScan scans[] = {{":Data", 5, 0}, {":Confidence", 11, 0}};
    for (NameScan& scan : scans) scan.next = text.Find(std::string_view(scan.name, scan.length), 0);
    std::string kept;
    size_t copied = 0;
    for (;;) {
        NameScan* first = nullptr;
        for (NameScan& scan : scans) {
            if (scan.next != XmpExtensionText::npos && (first == nullptr || scan.next < first->next)) first = &scan;
        }
        if (first == nullptr) break;
        const size_t after = first->next + first->length;
        size_t from = 0;
        size_t to = 0;
        size_t resume = after;
        if (ValueAfterName(text, after, &from, &to) && to - from > kLongestKeptBinaryValue) {
            text.AppendTo(kept, copied, from);
            kept += "(Binary data " + std::to_string((to - from) / 4 * 3) + " bytes)";
            copied = to;
            resume = to;
        }
        for (NameScan& scan : scans) {
            if (scan.next != XmpExtensionText::npos && scan.next < resume) {
                scan.next = text.Find(std::string_view(scan.name, scan.length), resume);
            }
        }
    }
    text.AppendTo(kept, copied, text.size());
    return kept;
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
    XmpExtensionText whole;
    std::string message;
    if (!ReassembleXmpExtension(pieces, guid, &whole, &message)) {
        data.xmpMessages.push_back(message);
        return;
    }
    data.xmpBytes += static_cast<int64_t>(whole.size());
    const std::string text = WithoutLongBinaryValues(whole);
    ReadXmpProperties(MakeView(reinterpret_cast<const uint8_t*>(text.data()), text.size()), data.xmpProperties,
                      data.xmpMessages);
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
        DecodeXmpPacket(analysis.decoded, XmpPacketOf(payload));
        MergeExtension(analysis.decoded, list);
        return;
    }
}
