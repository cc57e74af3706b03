// The XML events from XmlLite, the parser every Windows since Vista ships.
// mingw declares it but has no import library for it: the reader is made
// through xmllite.dll's CreateXmlReader, found at run time. Document type
// declarations are refused outright, so no entity is ever expanded or read.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstdio>
#include <string>

#include "xmp/xml_events.h"

namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

constexpr wchar_t kXmlnsNamespace[] = L"http://www.w3.org/2000/xmlns/";

std::string Utf8(const wchar_t* text, UINT length) {
    if (text == nullptr || length == 0) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0], size, nullptr, nullptr);
    return out;
}

// A name's text in UTF-8, kept while the handler looks at its views.
struct OwnedName {
    std::string namespaceUri;
    std::string prefix;
    std::string local;
};

struct OwnedAttribute {
    OwnedName name;
    std::string value;
};

XmlName ViewOf(const OwnedName& name) { return XmlName{name.namespaceUri, name.prefix, name.local}; }

bool ReadName(IXmlReader* reader, OwnedName* name) {
    const wchar_t* text = nullptr;
    UINT length = 0;
    if (FAILED(reader->GetNamespaceUri(&text, &length))) return false;
    name->namespaceUri = Utf8(text, length);
    if (FAILED(reader->GetPrefix(&text, &length))) return false;
    name->prefix = Utf8(text, length);
    if (FAILED(reader->GetLocalName(&text, &length))) return false;
    name->local = Utf8(text, length);
    return true;
}

bool IsNamespaceDeclaration(IXmlReader* reader) {
    const wchar_t* uri = nullptr;
    UINT length = 0;
    return SUCCEEDED(reader->GetNamespaceUri(&uri, &length)) && uri != nullptr && lstrcmpW(uri, kXmlnsNamespace) == 0;
}

// The attributes of the current element, namespace declarations left out
// as expat leaves them out.
bool ReadAttributes(IXmlReader* reader, std::vector<OwnedAttribute>& attributes) {
    attributes.clear();
    for (HRESULT moved = reader->MoveToFirstAttribute(); moved == S_OK; moved = reader->MoveToNextAttribute()) {
        if (IsNamespaceDeclaration(reader)) continue;
        OwnedAttribute attribute;
        const wchar_t* value = nullptr;
        UINT length = 0;
        if (!ReadName(reader, &attribute.name) || FAILED(reader->GetValue(&value, &length))) return false;
        attribute.value = Utf8(value, length);
        attributes.push_back(std::move(attribute));
    }
    return SUCCEEDED(reader->MoveToElement());
}

// XmlLite reads the encoding from a byte order mark and reads UTF-16 in
// little-endian order: a big-endian packet is turned round, a packet without
// a mark is given one. A UTF-8 packet ends before its first byte that is not
// UTF-8, as expat stops there.
std::vector<uint8_t> PreparedDocument(ByteView bytes, size_t* invalidAt, bool* cut) {
    size_t markLength = 0;
    const XmlEncoding encoding = DetectXmlEncoding(bytes, &markLength);
    const ByteView text = TailView(bytes, static_cast<int64_t>(markLength));
    std::vector<uint8_t> document;
    document.reserve(text.size + 3);
    *invalidAt = text.size;
    *cut = false;
    if (encoding == XmlEncoding::Utf8) {
        *invalidAt = ValidUtf8Length(text);
        *cut = *invalidAt < text.size;
        document.insert(document.end(), text.data, text.data + *invalidAt);
        return document;
    }
    document = {0xFF, 0xFE};
    for (size_t i = 0; i + 1 < text.size; i += 2) {
        const bool swap = encoding == XmlEncoding::Utf16BigEndian;
        document.push_back(text.data[swap ? i + 1 : i]);
        document.push_back(text.data[swap ? i : i + 1]);
    }
    return document;
}

std::string Failure(IXmlReader* reader, HRESULT result) {
    UINT line = 0;
    UINT column = 0;
    reader->GetLineNumber(&line);
    reader->GetLinePosition(&column);
    char text[96];
    std::snprintf(text, sizeof text, "XML not read further: error 0x%08lx at line %u, column %u",
                  static_cast<unsigned long>(result), line, column);
    return text;
}

// Reads every node, handing the events on; false when the handler stopped
// or the document was not well-formed (with the message then).
bool ReadEvents(IXmlReader* reader, XmlEventHandler& handler, std::string* message) {
    OwnedName name;
    std::vector<OwnedAttribute> attributes;
    std::vector<XmlAttribute> views;
    XmlNodeType type = XmlNodeType_None;
    HRESULT result = S_OK;
    size_t open = 0;
    UINT lastLine = 0;
    UINT lastColumn = 0;
    while ((result = reader->Read(&type)) == S_OK) {
        // Some XmlLite versions go on giving nodes at the end of a cut
        // document, each where the one before was: that is its end.
        UINT line = 0;
        UINT column = 0;
        reader->GetLineNumber(&line);
        reader->GetLinePosition(&column);
        if (reader->IsEOF() || (line == lastLine && column == lastColumn)) break;
        lastLine = line;
        lastColumn = column;
        bool goOn = true;
        if (type == XmlNodeType_Element) {
            const bool empty = reader->IsEmptyElement() != FALSE;
            if (!ReadName(reader, &name) || !ReadAttributes(reader, attributes)) {
                *message = "XML not read further: an element's name or attributes could not be read";
                return false;
            }
            // The views are made once every attribute is read: the owned
            // texts do not move while the handler looks at them.
            views.clear();
            for (const OwnedAttribute& attribute : attributes) {
                views.push_back(XmlAttribute{ViewOf(attribute.name), attribute.value});
            }
            goOn = handler.StartElement(ViewOf(name), views) && (!empty || handler.EndElement());
            if (!empty) open++;
        } else if (type == XmlNodeType_EndElement) {
            goOn = handler.EndElement();
            if (open > 0) open--;
        } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) {
            const wchar_t* value = nullptr;
            UINT length = 0;
            if (SUCCEEDED(reader->GetValue(&value, &length)) && length > 0) {
                const std::string text = Utf8(value, length);
                goOn = handler.CharacterData(text.data(), text.size());
            }
        } else if (type == XmlNodeType_DocumentType) {
            *message = "XML not read further: the document has a document type declaration; entities are not expanded";
            return false;
        }
        if (!goOn) return false;
    }
    if (result == S_FALSE || result == S_OK) {
        if (open == 0) return true;
        *message = "XML not read further: the document ends inside an element";
        return false;
    }
    if (static_cast<unsigned long>(result) == static_cast<unsigned long>(WC_E_DTDPROHIBITED)) {
        *message = "XML not read further: the document has a document type declaration; entities are not expanded";
        return false;
    }
    *message = Failure(reader, result);
    return false;
}

}  // namespace

bool ParseXmlEvents(ByteView bytes, XmlEventHandler& handler, std::string* message) {
    HMODULE library = LoadLibraryW(L"xmllite.dll");
    if (library == nullptr) {
        *message = "XML not read: xmllite.dll is not available";
        return false;
    }
    const auto create = reinterpret_cast<CreateXmlReaderFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "CreateXmlReader")));
    IXmlReader* reader = nullptr;
    if (create == nullptr || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr))) {
        FreeLibrary(library);
        *message = "XML not read: no XmlLite reader could be made";
        return false;
    }
    size_t invalidAt = 0;
    bool cut = false;
    const std::vector<uint8_t> document = PreparedDocument(bytes, &invalidAt, &cut);
    IStream* stream = SHCreateMemStream(document.data(), static_cast<UINT>(document.size()));
    bool whole = false;
    if (stream == nullptr) {
        *message = "XML not read: no memory for the document's stream";
    } else {
        reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
        if (SUCCEEDED(reader->SetInput(stream))) {
            whole = ReadEvents(reader, handler, message);
            // The end of the cut document is where the bytes stop being UTF-8,
            // unless the handler stopped before it.
            if (cut && (whole || !message->empty())) {
                *message = "XML not read further: not UTF-8 at byte " + std::to_string(invalidAt);
                whole = false;
            }
        } else {
            *message = "XML not read: the document could not be opened";
        }
        stream->Release();
    }
    reader->Release();
    FreeLibrary(library);
    return whole;
}

bool ParseXmlEventsInPieces(const ByteView* pieces, size_t count, XmlEventHandler& handler, std::string* message) {
    std::vector<uint8_t> joined;
    for (size_t i = 0; i < count; i++) joined.insert(joined.end(), pieces[i].data, pieces[i].data + pieces[i].size);
    return ParseXmlEvents(MakeView(joined), handler, message);
}
