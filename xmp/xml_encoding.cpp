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

size_t ValidUtf8Length(ByteView bytes) {
    size_t at = 0;
    while (at < bytes.size) {
        const uint8_t lead = bytes.data[at];
        size_t length = 1;
        uint32_t lowest = 0;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            lowest = 0x10000;
        } else if (lead >= 0xE0) {
            length = lead <= 0xEF ? 3 : 0;
            lowest = 0x800;
        } else if (lead >= 0xC2) {
            length = 2;
            lowest = 0x80;
        } else if (lead >= 0x80) {
            length = 0;
        }
        if (length == 0 || !ViewHas(bytes, static_cast<int64_t>(at), static_cast<int64_t>(length))) return at;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length; i++) {
            const uint8_t next = bytes.data[at + i];
            if ((next & 0xC0) != 0x80) return at;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and numbers past Unicode are not UTF-8.
        if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return at;
        at += length;
    }
    return at;
}
