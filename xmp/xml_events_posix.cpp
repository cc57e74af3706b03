// The XML events from expat, the parser every native build links.
// Debian's libexpat is built with DTD support, which declares the entity
// amplification limits; the header shows them only with XML_DTD set.
#define XML_DTD 1
#include <expat.h>

#include <cstdio>
#include <cstring>

#include "xmp/xml_events.h"

namespace {

// expat hands names as "uri SEP local SEP prefix" when asked for triplets.
constexpr char kNameSeparator = '\x01';

// Expansion is refused outright (no entity may be declared); the limits
// stay on as a second guard for anything expat itself expands.
constexpr float kMaximumAmplification = 4.0f;
constexpr unsigned long long kAmplificationThreshold = 64 * 1024;

// expat takes an int length: the document is fed in pieces.
constexpr size_t kFeedBytes = 1 << 20;

struct ParseState {
    XML_Parser parser = nullptr;
    XmlEventHandler* handler = nullptr;
    std::vector<XmlAttribute> attributes;  // reused from element to element
    XmlName name;
    std::string stopReason;
    bool stoppedByHandler = false;
};

void SplitName(const XML_Char* text, XmlName* out) {
    const char* first = std::strchr(text, kNameSeparator);
    if (first == nullptr) {
        out->namespaceUri.clear();
        out->prefix.clear();
        out->local.assign(text);
        return;
    }
    out->namespaceUri.assign(text, static_cast<size_t>(first - text));
    const char* second = std::strchr(first + 1, kNameSeparator);
    if (second == nullptr) {
        out->local.assign(first + 1);
        out->prefix.clear();
    } else {
        out->local.assign(first + 1, static_cast<size_t>(second - first - 1));
        out->prefix.assign(second + 1);
    }
}

void Stop(ParseState& state) {
    state.stoppedByHandler = true;
    XML_StopParser(state.parser, XML_FALSE);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    ParseState& state = *static_cast<ParseState*>(data);
    SplitName(name, &state.name);
    size_t count = 0;
    while (attributes[2 * count] != nullptr) count++;
    state.attributes.resize(count);
    for (size_t i = 0; i < count; i++) {
        SplitName(attributes[2 * i], &state.attributes[i].name);
        state.attributes[i].value.assign(attributes[2 * i + 1]);
    }
    if (!state.handler->StartElement(state.name, state.attributes)) Stop(state);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (!state.handler->EndElement()) Stop(state);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (length > 0 && !state.handler->CharacterData(text, static_cast<size_t>(length))) Stop(state);
}

// An entity declaration is what every expansion attack needs, internal or
// external: the document is refused there.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*) {
    ParseState& state = *static_cast<ParseState*>(data);
    state.stopReason = "the document declares an entity; entities are not expanded";
    XML_StopParser(state.parser, XML_FALSE);
}

const char* EncodingName(XmlEncoding encoding) {
    switch (encoding) {
        case XmlEncoding::Utf16LittleEndian: return "UTF-16LE";
        case XmlEncoding::Utf16BigEndian: return "UTF-16BE";
        case XmlEncoding::Utf8: return "UTF-8";
    }
    return "UTF-8";
}

std::string Where(XML_Parser parser) {
    char text[64];
    std::snprintf(text, sizeof text, " at line %lu, column %lu",
                  static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
                  static_cast<unsigned long>(XML_GetCurrentColumnNumber(parser)));
    return text;
}

XML_Parser CreateParser(XmlEncoding encoding, ParseState& state) {
    XML_Parser parser = XML_ParserCreateNS(EncodingName(encoding), kNameSeparator);
    if (parser == nullptr) return nullptr;
    XML_SetReturnNSTriplet(parser, 1);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, kMaximumAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, kAmplificationThreshold);
    return parser;
}

}  // namespace

bool ParseXmlEvents(ByteView bytes, XmlEventHandler& handler, std::string* message) {
    size_t markLength = 0;
    const XmlEncoding encoding = DetectXmlEncoding(bytes, &markLength);
    const ByteView document = TailView(bytes, static_cast<int64_t>(markLength));
    ParseState state;
    state.handler = &handler;
    state.parser = CreateParser(encoding, state);
    if (state.parser == nullptr) {
        *message = "no memory for the XML parser";
        return false;
    }
    bool whole = true;
    size_t done = 0;
    do {
        const size_t piece = document.size - done < kFeedBytes ? document.size - done : kFeedBytes;
        const bool last = done + piece == document.size;
        const char* start = reinterpret_cast<const char*>(document.data) + done;
        if (XML_Parse(state.parser, start, static_cast<int>(piece), last ? XML_TRUE : XML_FALSE) !=
            XML_STATUS_OK) {
            whole = false;
            break;
        }
        done += piece;
    } while (done < document.size);
    if (!whole && !state.stoppedByHandler) {
        const std::string reason = !state.stopReason.empty() ? state.stopReason
                                                             : XML_ErrorString(XML_GetErrorCode(state.parser));
        *message = "XML not read further: " + reason + Where(state.parser);
    }
    XML_ParserFree(state.parser);
    return whole;
}
