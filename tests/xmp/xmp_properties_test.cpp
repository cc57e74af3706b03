// The RDF forms XMP writers use, each read into properties: lists,
// language alternatives, structures in their three spellings, resources,
// qualifiers, empty lists, and the encodings a packet may come in.
#include <gtest/gtest.h>

#include "support/byte_builder.h"
#include "xmp/xml_events.h"
#include "xmp/xmp.h"
#include "xmp/xmp_properties.h"

namespace {

std::string Wrapped(const std::string& description) {
    return "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
           "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
           "xmlns:exif='http://ns.adobe.com/exif/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/'" +
           description + "</rdf:Description></rdf:RDF></x:xmpmeta>";
}

// Each property as "prefix:path name form values", values joined by '|'
// with their language after '@'.
std::string Described(const std::vector<XmpProperty>& properties) {
    const char* const forms[] = {"simple", "bag", "seq", "alt"};
    std::string out;
    for (const XmpProperty& p : properties) {
        out += p.prefix + ":" + p.path + " " + p.name + " " + forms[static_cast<int>(p.form)] + " ";
        for (size_t i = 0; i < p.values.size(); i++) {
            out += (i > 0 ? "|" : "") + p.values[i];
            if (i < p.languages.size()) out += "@" + p.languages[i];
        }
        out += "; ";
    }
    return out;
}

std::string ReadDescribed(const std::vector<uint8_t>& packet) {
    std::vector<XmpProperty> properties;
    std::vector<std::string> messages;
    EXPECT_TRUE(ReadXmpProperties(MakeView(packet), properties, messages));
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages.front());
    return Described(properties);
}

std::vector<uint8_t> Utf16(const std::string& ascii, bool bigEndian) {
    ByteBuilder b;
    b.bigEndian = bigEndian;
    for (char c : ascii) b.U16(static_cast<unsigned char>(c));
    return b.bytes;
}

}  // namespace

TEST(XmpProperties, RdfFormsBecomeProperties) {
    struct FormCase {
        std::string label;
        std::string description;  // attributes and children of rdf:Description
        std::string expected;
    };
    const std::vector<FormCase> cases = {
        {"attribute", " xmp:Rating='3'>", "xmp:Rating Rating simple 3; "},
        {"x-default first",
         "><dc:title><rdf:Alt><rdf:li xml:lang='de'>B</rdf:li><rdf:li xml:lang='x-default'>A</rdf:li>"
         "</rdf:Alt></dc:title>",
         "dc:title Title alt A@x-default|B@de; "},
        {"nested description",
         "><exif:Flash><rdf:Description exif:Fired='True'><exif:Mode>2</exif:Mode></rdf:Description></exif:Flash>",
         "exif:Flash/Fired FlashFired simple True; exif:Flash/Mode FlashMode simple 2; "},
        {"fields as attributes", "><exif:Flash exif:Fired='False' exif:Return='0'/>",
         "exif:Flash/Fired FlashFired simple False; exif:Flash/Return FlashReturn simple 0; "},
        {"list of structures",
         "><dc:x><rdf:Seq><rdf:li rdf:parseType='Resource'><dc:city>P</dc:city></rdf:li>"
         "<rdf:li rdf:parseType='Resource'><dc:city>L</dc:city><dc:zip>1</dc:zip></rdf:li></rdf:Seq></dc:x>",
         "dc:x/city XCity seq P|L; dc:x/zip XZip seq 1; "},
        {"list in a list", "><dc:a><rdf:Bag><rdf:li><rdf:Seq><rdf:li>1</rdf:li><rdf:li>2</rdf:li></rdf:Seq></rdf:li>"
                           "<rdf:li>3</rdf:li></rdf:Bag></dc:a>",
         "dc:a A seq 1|2|3; "},
        {"resource and qualifier",
         "><dc:source rdf:resource='http://x/'/><dc:creator><rdf:Description><rdf:value>Ann</rdf:value>"
         "<xmp:role>author</xmp:role></rdf:Description></dc:creator>",
         "dc:source Source simple http://x/; dc:creator Creator simple Ann; dc:creator/role CreatorRole simple author; "},
        {"empty list and element", "><dc:subject><rdf:Bag/></dc:subject><xmp:Label/>",
         "dc:subject Subject bag ; xmp:Label Label simple ; "},
        {"upper-case name, given twice", "><xmp:HDR_MODE>1</xmp:HDR_MODE><xmp:HDR_MODE>2</xmp:HDR_MODE>",
         "xmp:HDR_MODE HdrMode simple 2; "},
        {"literal skipped", "><xmp:Note rdf:parseType='Literal'><b>x</b></xmp:Note><xmp:Rating>1</xmp:Rating>",
         "xmp:Rating Rating simple 1; "},
    };
    for (const FormCase& c : cases) {
        EXPECT_EQ(ReadDescribed(Bytes(Wrapped(c.description))), c.expected) << c.label;
    }
}

TEST(XmpProperties, EncodingsOfThePacket) {
    const std::string packet = "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>" + Wrapped(" xmp:Rating='5'>");
    const std::string expected = "xmp:Rating Rating simple 5; ";
    EXPECT_EQ(ReadDescribed(Concat({{0xEF, 0xBB, 0xBF}, Bytes(packet)})), expected) << "UTF-8, marked";
    EXPECT_EQ(ReadDescribed(Utf16(packet, true)), expected) << "UTF-16BE, unmarked";
    EXPECT_EQ(ReadDescribed(Utf16(packet, false)), expected) << "UTF-16LE, unmarked";
    EXPECT_EQ(ReadDescribed(Concat({{0xFF, 0xFE}, Utf16(packet, false)})), expected) << "UTF-16LE, marked";
    // A declaration of UTF-8 on a UTF-16 packet: the bytes tell.
    EXPECT_EQ(ReadDescribed(Utf16("<?xml version='1.0' encoding='UTF-8'?>" + Wrapped(" xmp:Rating='5'>"), true)),
              expected);
}

TEST(XmpProperties, PaddingLeavesThePacket) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<x/>\n" + std::string(2000, ' ') + "\n<?xpacket end='w'?>", "<x/>\n<?xpacket end='w'?>"},
        {"<x/>  \n\n<?xpacket end=\"r\"?>\n\n  \0\0", "<x/>\n<?xpacket end=\"r\"?>"},
        {"<x/>\n   ", "<x/>"},
        {"<x/>", "<x/>"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnpaddedXmpPacket(c.first), c.second) << c.first.substr(0, 10);
}

TEST(XmpProperties, Utf8EndsAtTheFirstByteThatIsNot) {
    const std::vector<std::pair<std::vector<uint8_t>, size_t>> cases = {
        {Bytes("plain"), 5},
        {{'a', 0xC3, 0xA9, 'b'}, 4},               // two bytes
        {{0xE6, 0x97, 0xA5, 0xF0, 0x9F, 0x98, 0x80}, 7},  // three and four
        {{'a', 0xC3, 0x28}, 1},                    // no continuation byte
        {{'a', 0xC0, 0xAF}, 1},                    // overlong
        {{0xED, 0xA0, 0x80}, 0},                   // a surrogate
        {{0xF4, 0x90, 0x80, 0x80}, 0},             // past U+10FFFF
        {{'a', 'b', 0xE6, 0x97}, 2},               // cut short
        {{0xFF}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ValidUtf8Length(MakeView(c.first)), c.second) << c.first.size();
}
