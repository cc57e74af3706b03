// The RDF forms XMP writers use, each read into properties: lists,
// language alternatives, structures in their three spellings, resources,
// qualifiers, empty lists, and the encodings a packet may come in.
#include <gtest/gtest.h>

#include "support/byte_builder.h"
#include "xmp/xmp.h"
#include "xmp/xmp_properties.h"

namespace {

std::string Wrapped(const std::string& description) {
    return "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
           "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
           "xmlns:exif='http://ns.adobe.com/exif/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/'" +
           description + "</rdf:Description></rdf:RDF></x:xmpmeta>";
}

// Each property of the packet as "prefix:path name form values", values
// joined by '|' with their language after '@'; the packet must read whole.
std::string ReadDescribed(const std::vector<uint8_t>& packet) {
    std::vector<XmpProperty> properties;
    std::vector<std::string> messages;
    EXPECT_TRUE(ReadXmpProperties(MakeView(packet), properties, messages) && messages.empty());
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

TEST(XmpProperties, Utf16WithoutMarkAndWhateverItsDeclarationSays) {
    // UTF-8 and UTF-16LE with a mark are among the photographs compared with exiftool.
    const std::string packet = "<?xml version='1.0' encoding='UTF-8'?>" + Wrapped(" xmp:Rating='5'>");
    EXPECT_EQ(ReadDescribed(Utf16(packet, true)), "xmp:Rating Rating simple 5; ");
    EXPECT_EQ(ReadDescribed(Utf16(packet, false)), "xmp:Rating Rating simple 5; ");
}
