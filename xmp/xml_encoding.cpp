// The encoding of an XML document, from its first bytes: XMP packets are
// UTF-8, UTF-16 or UTF-32, most without a byte order mark before the
// packet's own processing instruction (which carries one as its begin="").
#include "xmp/xml_events.h"

XmlEncoding DetectXmlEncoding(ByteView bytes, size_t* markLength) {
    *markLength = 0;
    if (ViewMatches(bytes, 0, "\xEF\xBB\xBF", 3)) {
        *markLength = 3;
        return XmlEncoding::Utf8;
    }
    if (ViewMatches(bytes, 0, "\xFF\xFE", 2)) {
        *markLength = 2;
        return XmlEncoding::Utf16LittleEndian;
    }
    if (ViewMatches(bytes, 0, "\xFE\xFF", 2)) {
        *markLength = 2;
        return XmlEncoding::Utf16BigEndian;
    }
    // No mark: the first character, '<' or white space, shows the order.
    uint8_t first = 0;
    uint8_t second = 0;
    if (ReadU8(bytes, 0, &first) && ReadU8(bytes, 1, &second)) {
        if (first != 0 && second == 0) return XmlEncoding::Utf16LittleEndian;
        if (first == 0 && second != 0) return XmlEncoding::Utf16BigEndian;
    }
    return XmlEncoding::Utf8;
}
