// Hostile XMP: each case gives a message, keeps what was read before the
// trouble, and stays within bounded time and allocation.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <rapidjson/document.h>
#endif

#include <chrono>
#include <cstdlib>
#include <new>

#include "analyze/analyze_file.h"
#ifndef _WIN32
#include "export/json_object.h"
#endif
#include "support/flat_jpeg.h"
#include "support/report_capture.h"
#include "xmp/xmp_properties.h"

namespace {

// The largest single allocation while counting: a claimed length must not
// become an allocation of that size.
size_t largestAllocation = 0;
bool countingAllocations = false;

}  // namespace

// The thread sanitizer's runtime brings its own operators, which may not
// be replaced: there the allocations are not counted.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PIXLOUPE_OWN_OPERATORS_NEW 0
#endif
#endif
#ifndef PIXLOUPE_OWN_OPERATORS_NEW
#define PIXLOUPE_OWN_OPERATORS_NEW 1
#endif

#if PIXLOUPE_OWN_OPERATORS_NEW
// The replacements pair malloc with free, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    if (countingAllocations && size > largestAllocation) largestAllocation = size;
    if (void* memory = std::malloc(size > 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    if (countingAllocations && size > largestAllocation) largestAllocation = size;
    return std::malloc(size > 0 ? size : 1);
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
#endif

namespace {

const std::string kHead =
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
    "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
    "xmlns:xmpNote='http://ns.adobe.com/xmp/note/' xmp:Rating='4'";
const std::string kTail = "</rdf:Description></rdf:RDF></x:xmpmeta>";
const std::string kShortTail = "/></rdf:RDF></x:xmpmeta>";  // after a description's attributes
const std::string kGuid = "0123456789ABCDEF0123456789ABCDEF";
// expat's words for where and why a packet stopped; Windows' parser has
// words of its own, and only the stop is checked there.
std::string ParserWords(const char* expatWords) {
#ifdef _WIN32
    (void)expatWords;
    return "not read further";
#else
    return expatWords;
#endif
}

// Three lines of blanks and the trailer, as writers end a packet.
const std::string kPadding = "\n" + std::string(99, ' ') + "\n" + std::string(99, ' ') + "\n" + std::string(99, ' ') + "\n";
const std::string kTrailer = "<?xpacket end='w'?>";
const char kXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";

std::string Repeated(const std::string& text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; i++) out += text;
    return out;
}

std::string Joined(const std::vector<std::string>& messages) {
    std::string joined;
    for (const std::string& message : messages) joined += message + "\n";
    return joined;
}

// An extension piece: signature, GUID, full length, offset, the bytes.
std::vector<uint8_t> Piece(const std::string& guid, uint32_t fullLength, uint32_t offset, const std::string& bytes) {
    return Segment(0xE1, ByteBuilder().Text("http://ns.adobe.com/xmp/extension/").U8(0).Text(guid).U32(fullLength)
                             .U32(offset).Text(bytes).bytes);
}

// A picture with XMP (announcing the extension kGuid) and these segments after SOI.
std::vector<uint8_t> WithXmp(const std::vector<std::vector<uint8_t>>& pieces) {
    const std::vector<uint8_t> picture = FlatJpeg(8, 8);
    ByteBuilder b;
    b.U8(0xFF).U8(0xD8).Append(Segment(0xE1, Bytes("http://ns.adobe.com/xap/1.0/" + std::string(1, '\0') + kHead +
                                                     " xmpNote:HasExtendedXMP='" + kGuid + "'" + kShortTail)));
    for (const std::vector<uint8_t>& piece : pieces) b.Append(piece);
    return Concat({b.bytes, std::vector<uint8_t>(picture.begin() + 2, picture.end())});
}

const std::string kExtension = kHead.substr(0, kHead.find(" xmp:Rating")) + " xmp:Label='Blue'" + kShortTail;

}  // namespace

TEST(XmpHostile, PacketsGiveMessagesAndKeepWhatWasRead) {
    struct HostileCase {
        std::string label, packet, message, rating;  // part of the message given; xmp:Rating as kept
    };
    // Ten entities of ten references each to the one before: 10^10 laughs.
    std::string laughs = "<!DOCTYPE x [<!ENTITY a 'haha'>";
    for (char c = 'b'; c <= 'k'; c++) laughs += "<!ENTITY " + std::string(1, c) + " '" + Repeated("&" + std::string(1, c - 1) + ";", 10) + "'>";
    const std::vector<HostileCase> cases = {
        {"unclosed elements", kHead + "><xmp:Label>Red</xmp:Label><xmp:Nickname>", "not read further", "4"},
        {"a billion laughs", laughs + "]>" + kHead + "><xmp:Label>&k;</xmp:Label>" + kTail, "entities are not expanded", "(none)"},
        {"an external entity", "<!DOCTYPE x [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>" + kHead +
                                   "><xmp:Label>&e;</xmp:Label>" + kTail,
         "entities are not expanded", "(none)"},
        {"100,000 nested elements", kHead + ">" + Repeated("<xmp:a>", 100000) + Repeated("</xmp:a>", 100000) + kTail,
         "nested more than", "4"},
        {"invalid UTF-8", kHead + "><xmp:Label>R\xC3\x28" "d</xmp:Label>" + kTail, "not read further", "4"},
        {"a value over the size bound", kHead + "><xmp:Label>" + Repeated("x", 17 << 20) + "</xmp:Label>" + kTail,
         "values over", "4"},
        {"text after the root", kHead + kShortTail + "<more/>", "not read further", "4"},
        // Padding before the trailer: the place an error is told at is the packet's own.
        {"unclosed root, then padding", kHead + "><xmp:Label>Red</xmp:Label>" + kPadding + kTrailer,
         ParserWords("no element found at line 5, column 19"), "4"},
        {"unclosed comment, then padding", kHead + kShortTail + "<!-- x" + kPadding + kTrailer,
         ParserWords("unclosed token at line 1, column 256"), "4"},
    };
    for (const HostileCase& c : cases) {
        DecodedData data;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(ReadXmpProperties(MakeView(Bytes(c.packet)), data.xmpProperties, data.xmpMessages)) << c.label;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0) << c.label;
        EXPECT_NE(Joined(data.xmpMessages).find(c.message), std::string::npos) << c.label;
        const std::string* rating = FirstXmpValue(data, kXmpNamespace, "Rating");
        EXPECT_EQ(rating != nullptr ? *rating : "(none)", c.rating) << c.label;
    }
}

TEST(XmpHostile, ExtensionPiecesAreCheckedBeforeUse) {
    struct ExtensionCase {
        std::string label;
        std::vector<std::vector<uint8_t>> pieces;
        std::string message;  // part of the message; empty: read whole, no message
    };
    const uint32_t size = static_cast<uint32_t>(kExtension.size());
    const std::string head = kExtension.substr(0, 50);
    const std::string rest = kExtension.substr(50);
    const std::vector<ExtensionCase> cases = {
        {"whole, in reverse order", {Piece(kGuid, size, 50, rest), Piece(kGuid, size, 0, head)}, ""},
        {"60 MB claimed by 100 bytes", {Piece(kGuid, 60000000, 0, Repeated("x", 100))}, "only the first 100"},
        {"overlapping offsets", {Piece(kGuid, size, 0, head), Piece(kGuid, size, 30, kExtension.substr(30))},
         "overlaps"},
        {"a piece missing", {Piece(kGuid, size, 50, rest)}, "only the first 0"},
        {"lengths disagree", {Piece(kGuid, size, 0, head), Piece(kGuid, size + 1, 50, rest)}, "disagree"},
        {"another GUID", {Piece(std::string(32, 'F'), size, 0, kExtension)}, "not the one"},
        {"a GUID of bytes that are not UTF-8", {Piece(std::string(32, '\xFF'), size, 0, kExtension)}, "not the one"},
    };
    for (const ExtensionCase& c : cases) {
        const std::vector<uint8_t> file = WithXmp(c.pieces);
        ReportCapture capture;
        largestAllocation = 0;
        countingAllocations = true;
        AnalyzeBytes(capture.analysis, MakeView(file), "x.jpg", SourceFacts{});
        countingAllocations = false;
        if (PIXLOUPE_OWN_OPERATORS_NEW) {
            EXPECT_LT(largestAllocation, 1u << 20) << c.label;
        }
        const DecodedData& data = capture.analysis.decoded;
        // The main packet stays whole; the extension's Label only when it is whole.
        EXPECT_NE(FirstXmpValue(data, kXmpNamespace, "Rating"), nullptr) << c.label;
        EXPECT_EQ(FirstXmpValue(data, kXmpNamespace, "Label") != nullptr, c.message.empty()) << c.label;
        if (c.message.empty()) {
            EXPECT_EQ(Joined(data.xmpMessages), "") << c.label;
            EXPECT_EQ(data.xmpBytes, static_cast<int64_t>(data.xmpPacket.size() + kExtension.size())) << c.label;
        }
        EXPECT_NE(Joined(data.xmpMessages).find(c.message), std::string::npos) << c.label;
#ifndef _WIN32
        // The messages quote the file's bytes: the JSON (of the native build
        // alone) must stay valid UTF-8.
        std::string json;
        AppendJsonObject(json, capture.analysis, "x.jpg");
        rapidjson::Document parsed;
        parsed.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
        EXPECT_FALSE(parsed.HasParseError()) << c.label;
#endif
    }
}

// A phone's picture in the extension, its name and its value cut across
// pieces anywhere: told by its size, with the properties around it read.
TEST(XmpHostile, PictureInTheExtensionIsToldBySizeWherePiecesCutIt) {
    const std::string picture(6000, 'A');
    const std::string extension = kHead.substr(0, kHead.find(" xmp:Rating")) +
                                  " xmlns:GImage='http://ns.google.com/photos/1.0/image/' GImage:Data='" + picture +
                                  "' xmp:Label='Blue'" + kShortTail;
    const uint32_t size = static_cast<uint32_t>(extension.size());
    const size_t name = extension.find(":Data");
    const size_t value = extension.find(picture);
    std::vector<std::vector<std::vector<uint8_t>>> layouts;
    for (const size_t cut : {name + 2, name + 5, name + 6, value + 3000, value + picture.size()}) {
        layouts.push_back({Piece(kGuid, size, 0, extension.substr(0, cut)),
                           Piece(kGuid, size, static_cast<uint32_t>(cut), extension.substr(cut))});
    }
    std::vector<std::vector<uint8_t>> small;  // pieces of 97 bytes, and an empty one
    for (size_t at = 0; at < extension.size(); at += 97) {
        small.push_back(Piece(kGuid, size, static_cast<uint32_t>(at), extension.substr(at, 97)));
    }
    small.push_back(Piece(kGuid, size, size, ""));
    layouts.push_back(small);
    for (size_t i = 0; i < layouts.size(); i++) {
        const std::vector<uint8_t> file = WithXmp(layouts[i]);
        ReportCapture capture;
        AnalyzeBytes(capture.analysis, MakeView(file), "x.jpg", SourceFacts{});
        const DecodedData& data = capture.analysis.decoded;
        const std::string* told = FirstXmpValue(data, "http://ns.google.com/photos/1.0/image/", "Data");
        EXPECT_EQ(told != nullptr ? *told : "(none)", "(Binary data 4500 bytes)") << "layout " << i;
        const std::string* label = FirstXmpValue(data, kXmpNamespace, "Label");
        EXPECT_EQ(label != nullptr ? *label : "(none)", "Blue") << "layout " << i;
        EXPECT_EQ(Joined(data.xmpMessages), "") << "layout " << i;
    }
}
