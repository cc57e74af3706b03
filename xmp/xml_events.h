// The XML parser behind a small seam: the bytes of a document in, a stream
// of events out. One implementation per platform (expat natively, XmlLite on
// Windows); what reads the events knows nothing of either.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_view.h"

// An element or attribute name after namespace processing. Text is UTF-8
// whatever the document's encoding. The views are the parser's and valid
// only during the call that hands them over: what is kept is copied.
struct XmlName {
    std::string_view namespaceUri;
    std::string_view prefix;  // as the document writes it; empty for none
    std::string_view local;
};

struct XmlAttribute {
    XmlName name;
    std::string_view value;
};

// What reads the events. Each call returns false to stop the parse there.
class XmlEventHandler {
public:
    virtual ~XmlEventHandler() = default;
    virtual bool StartElement(const XmlName& name, const std::vector<XmlAttribute>& attributes) = 0;
    virtual bool EndElement() = 0;
    virtual bool CharacterData(const char* text, size_t length) = 0;
};

// The byte encodings a document may come in. A byte order mark tells; a
// document without one starting "<\0" or "\0<" is UTF-16 of that order.
enum class XmlEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

// The encoding of a document from its first bytes, and how many bytes of
// byte order mark to skip.
XmlEncoding DetectXmlEncoding(ByteView bytes, size_t* markLength);

// How many bytes from the start form whole, valid UTF-8 characters.
size_t ValidUtf8Length(ByteView bytes);

// Parses the document, reporting its events to handler. Entity
// declarations are refused (no internal entity is expanded, no external one
// read). Returns true when the whole document was well-formed and read;
// otherwise a message says where it stopped and why.
bool ParseXmlEvents(ByteView bytes, XmlEventHandler& handler, std::string* message);

// The same for a document given as consecutive pieces (a packet without
// the padding in its middle), read as if they were one run of bytes.
bool ParseXmlEventsInPieces(const ByteView* pieces, size_t count, XmlEventHandler& handler, std::string* message);
