// Hostile XMP: each case gives a message, keeps what was read before the
// trouble, and stays within bounded time and allocation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <new>

#include "analyze/analyze_file.h"
#include "support/flat_jpeg.h"
#include "support/report_capture.h"
#include "xmp/xmp_properties.h"

namespace {

// The largest single allocation while counting: a claimed length must not
// become an allocation of that size.
size_t largestAllocation = 0;
bool countingAllocations = false;

}  // namespace

// The replacements pair malloc with free, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    if (countingAllocations && size > largestAllocation) largestAllocation = size;
    if (void* memory = std::malloc(size > 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace {

const std::string kHead =
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
    "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
    "xmlns:xmpNote='http://ns.adobe.com/xmp/note/' xmp:Rating='4'";
const std::string kTail = "</rdf:Description></rdf:RDF></x:xmpmeta>";
const std::string kGuid = "0123456789ABCDEF0123456789ABCDEF";

std::string Repeated(const std::string& text, size_t count) {
    std::string out;
    out.reserve(text.size() * count);
    for (size_t i = 0; i < count; i++) out += text;
    return out;
}

std::string RatingOf(const std::vector<XmpProperty>& properties) {
    for (const XmpProperty& property : properties) {
        if (property.path == "Rating" && !property.values.empty()) return property.values.front();
    }
    return "(none)";
}

std::string Joined(const std::vector<std::string>& messages) {
    std::string joined;
    for (const std::string& message : messages) joined += message + "\n";
    return joined;
}

// An extension piece: signature, GUID, full length, offset, the bytes.
std::vector<uint8_t> Piece(const std::string& guid, uint32_t fullLength, uint32_t offset, const std::string& bytes) {
    ByteBuilder b;
    b.Text("http://ns.adobe.com/xmp/extension/").U8(0).Text(guid).U32(fullLength).U32(offset).Text(bytes);
    return Segment(0xE1, b.bytes);
}

std::vector<uint8_t> WithSegments(const std::vector<std::vector<uint8_t>>& segments) {
    const std::vector<uint8_t> picture = FlatJpeg(8, 8);
    std::vector<uint8_t> file(picture.begin(), picture.begin() + 2);
    for (const std::vector<uint8_t>& segment : segments) file.insert(file.end(), segment.begin(), segment.end());
    file.insert(file.end(), picture.begin() + 2, picture.end());
    return file;
}

std::vector<uint8_t> MainPacket() {
    return Segment(0xE1, Bytes("http://ns.adobe.com/xap/1.0/" + std::string(1, '\0') + kHead +
                               " xmpNote:HasExtendedXMP='" + kGuid + "'/></rdf:RDF></x:xmpmeta>"));
}

const std::string kExtension = kHead.substr(0, kHead.find(" xmp:Rating")) + " xmp:Label='Blue'/></rdf:RDF></x:xmpmeta>";

}  // namespace

TEST(XmpHostile, PacketsGiveMessagesAndKeepWhatWasRead) {
    struct HostileCase {
        std::string label;
        std::string packet;
        std::string message;  // part of the message given
        std::string rating;   // xmp:Rating as kept
    };
    const std::string laughs = "<!DOCTYPE x [<!ENTITY a 'haha'>" + [] {
        std::string entities;
        for (char c = 'b'; c <= 'k'; c++) {
            entities += std::string("<!ENTITY ") + c + " '" + Repeated(std::string("&") + char(c - 1) + ";", 10) + "'>";
        }
        return entities;
    }() + "]>";
    const std::vector<HostileCase> cases = {
        {"unclosed elements", kHead + "><xmp:Label>Red</xmp:Label><xmp:Nickname>", "not read further", "4"},
        {"a billion laughs", laughs + kHead + "><xmp:Label>&k;</xmp:Label>" + kTail, "entities are not expanded", "(none)"},
        {"an external entity", "<!DOCTYPE x [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>" + kHead +
                                   "><xmp:Label>&e;</xmp:Label>" + kTail,
         "entities are not expanded", "(none)"},
        {"100,000 nested elements", kHead + ">" + Repeated("<xmp:a>", 100000) + Repeated("</xmp:a>", 100000) + kTail,
         "nested more than", "4"},
        {"invalid UTF-8", kHead + "><xmp:Label>R\xC3\x28" "d</xmp:Label>" + kTail, "not read further", "4"},
        {"a value over the size bound", kHead + "><xmp:Label>" + Repeated("x", 17 << 20) + "</xmp:Label>" + kTail,
         "values over", "4"},
        {"text after the root", kHead + "/>" + kTail.substr(kTail.find("</rdf:RDF>")) + "<more/>", "not read further", "4"},
    };
    for (const HostileCase& c : cases) {
        std::vector<XmpProperty> properties;
        std::vector<std::string> messages;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(ReadXmpProperties(MakeView(Bytes(c.packet)), properties, messages)) << c.label;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 5.0) << c.label;
        EXPECT_NE(Joined(messages).find(c.message), std::string::npos) << c.label << ": " << Joined(messages);
        EXPECT_EQ(RatingOf(properties), c.rating) << c.label;
    }
}

TEST(XmpHostile, ExtensionPiecesAreCheckedBeforeUse) {
    struct ExtensionCase {
        std::string label;
        std::vector<std::vector<uint8_t>> pieces;
        std::string message;  // empty: read without a message
        std::string label_value;
    };
    const uint32_t size = static_cast<uint32_t>(kExtension.size());
    const std::string firstHalf = kExtension.substr(0, 50);
    const std::string secondHalf = kExtension.substr(50);
    const std::vector<ExtensionCase> cases = {
        {"whole, in reverse order", {Piece(kGuid, size, 50, secondHalf), Piece(kGuid, size, 0, firstHalf)}, "",
         "Blue"},
        {"60 MB claimed by 100 bytes", {Piece(kGuid, 60000000, 0, Repeated("x", 100))}, "only the first 100",
         "(none)"},
        {"overlapping offsets", {Piece(kGuid, size, 0, firstHalf), Piece(kGuid, size, 30, kExtension.substr(30))},
         "overlaps", "(none)"},
        {"a piece missing", {Piece(kGuid, size, 50, secondHalf)}, "only the first 0", "(none)"},
        {"lengths disagree", {Piece(kGuid, size, 0, firstHalf), Piece(kGuid, size + 1, 50, secondHalf)},
         "disagree", "(none)"},
        {"another GUID", {Piece(std::string(32, 'F'), size, 0, kExtension)}, "not the one", "(none)"},
    };
    for (const ExtensionCase& c : cases) {
        std::vector<std::vector<uint8_t>> segments = {MainPacket()};
        segments.insert(segments.end(), c.pieces.begin(), c.pieces.end());
        const std::vector<uint8_t> file = WithSegments(segments);
        ReportCapture capture;
        largestAllocation = 0;
        countingAllocations = true;
        AnalyzeBytes(capture.analysis, MakeView(file), "x.jpg", SourceFacts{});
        countingAllocations = false;
        EXPECT_LT(largestAllocation, 1u << 20) << c.label;
        const DecodedData& data = capture.analysis.decoded;
        EXPECT_EQ(RatingOf(data.xmpProperties), "4") << c.label;
        const std::string* label = FirstXmpValue(data, "http://ns.adobe.com/xap/1.0/", "Label");
        EXPECT_EQ(label != nullptr ? *label : "(none)", c.label_value) << c.label;
        if (c.message.empty()) {
            EXPECT_EQ(Joined(data.xmpMessages), "") << c.label;
            EXPECT_EQ(data.xmpBytes, static_cast<int64_t>(MainPacket().size() - 4 - 29 + kExtension.size())) << c.label;
        } else {
            EXPECT_NE(Joined(data.xmpMessages).find(c.message), std::string::npos)
                << c.label << ": " << Joined(data.xmpMessages);
        }
    }
}
