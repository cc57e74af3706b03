// The XML events from expat, the parser every native build links.
// Debian's libexpat is built with DTD support, which declares the entity
// amplification limits; the header shows them only with XML_DTD set.
#define XML_DTD 1
#include <expat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

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

// Views of expat's name text, "uri SEP local SEP prefix" or a bare name.
void SplitName(const XML_Char* text, XmlName* out) {
    const char* first = std::strchr(text, kNameSeparator);
    if (first == nullptr) {
        out->namespaceUri = std::string_view();
        out->prefix = std::string_view();
        out->local = std::string_view(text);
        return;
    }
    out->namespaceUri = std::string_view(text, static_cast<size_t>(first - text));
    const char* local = first + 1;
    const char* second = std::strchr(local, kNameSeparator);
    if (second == nullptr) {
        out->local = std::string_view(local);
        out->prefix = std::string_view();
    } else {
        out->local = std::string_view(local, static_cast<size_t>(second - local));
        out->prefix = std::string_view(second + 1);
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
        state.attributes[i].value = std::string_view(attributes[2 * i + 1]);
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

// A parser made and freed for each packet costs as much as parsing a small
// one: each thread keeps one and resets it between documents. After a
// document larger than this its buffer is given back rather than kept.
constexpr size_t kLargestKeptDocument = 1 << 20;

// The system's randomness; the clock where none can be had (a salt from it
// is weaker against a file crafted to collide, never a failure).
uint64_t InitialSalt() {
    try {
        std::random_device device;
        return static_cast<uint64_t>(device()) << 32 | device();
    } catch (...) {
        return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

struct KeptParser {
    XML_Parser parser = nullptr;
    bool inUse = false;
    // The salt of the parser's name hashing, which expat would otherwise
    // ask the kernel for at each document: drawn once a thread from the
    // system's randomness, then stepped on and mixed for each document.
    uint64_t salt = InitialSalt();
    ~KeptParser() {
        if (parser != nullptr) XML_ParserFree(parser);
    }
};

thread_local KeptParser keptParser;

// The next salt: the steps of splitmix64.
unsigned long NextSalt() {
    uint64_t z = (keptParser.salt += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // Zero asks expat to draw a salt itself.
    return static_cast<unsigned long>(z) != 0 ? static_cast<unsigned long>(z) : 1;
}

// The thread's kept parser, reset for the encoding; a parser of its own
// when the kept one is in use or cannot be had. nullptr without memory.
XML_Parser TakeParser(XmlEncoding encoding, bool* kept) {
    *kept = false;
    if (!keptParser.inUse) {
        if (keptParser.parser != nullptr && XML_ParserReset(keptParser.parser, EncodingName(encoding)) != XML_TRUE) {
            XML_ParserFree(keptParser.parser);
            keptParser.parser = nullptr;
        }
        if (keptParser.parser == nullptr) {
            keptParser.parser = XML_ParserCreateNS(EncodingName(encoding), kNameSeparator);
        }
        if (keptParser.parser != nullptr) {
            keptParser.inUse = true;
            *kept = true;
            return keptParser.parser;
        }
    }
    return XML_ParserCreateNS(EncodingName(encoding), kNameSeparator);
}

void GiveParserBack(XML_Parser parser, bool kept, size_t documentBytes) {
    if (!kept) {
        XML_ParserFree(parser);
        return;
    }
    keptParser.inUse = false;
    if (documentBytes > kLargestKeptDocument) {
        XML_ParserFree(keptParser.parser);
        keptParser.parser = nullptr;
    }
}

// Sets a parser, new or reset, up for one document.
void PrepareParser(XML_Parser parser, ParseState& state) {
    XML_SetHashSalt(parser, NextSalt());
    XML_SetReturnNSTriplet(parser, 1);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, kMaximumAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, kAmplificationThreshold);
}

// The bytes from `at` on, up to count of them, copied out of consecutive
// pieces into target.
void CopyFromPieces(const ByteView* pieces, size_t pieceCount, size_t at, size_t count, char* target) {
    for (size_t i = 0; i < pieceCount && count > 0; i++) {
        if (at >= pieces[i].size) {
            at -= pieces[i].size;
            continue;
        }
        const size_t take = pieces[i].size - at < count ? pieces[i].size - at : count;
        std::memcpy(target, pieces[i].data + at, take);
        target += take;
        count -= take;
        at = 0;
    }
}

}  // namespace

bool ParseXmlEventsInPieces(const ByteView* pieces, size_t count, XmlEventHandler& handler, std::string* message) {
    if (count == 0) return ParseXmlEvents(ByteView(), handler, message);
    size_t markLength = 0;
    const XmlEncoding encoding = DetectXmlEncoding(pieces[0], &markLength);
    size_t total = 0;
    for (size_t i = 0; i < count; i++) total += pieces[i].size;
    ParseState state;
    state.handler = &handler;
    bool kept = false;
    state.parser = TakeParser(encoding, &kept);
    if (state.parser == nullptr) {
        *message = "no memory for the XML parser";
        return false;
    }
    PrepareParser(state.parser, state);
    // Each feed is copied into the parser's own buffer (as XML_Parse would
    // copy it), the pieces joined on the way; the last feed is final, so the
    // parser does not count lines over what it has read.
    bool whole = true;
    size_t done = markLength < total ? markLength : total;
    do {
        const size_t piece = total - done < kFeedBytes ? total - done : kFeedBytes;
        const bool last = done + piece == total;
        void* buffer = XML_GetBuffer(state.parser, static_cast<int>(piece));
        if (buffer == nullptr) {
            whole = false;
            break;
        }
        CopyFromPieces(pieces, count, done, piece, static_cast<char*>(buffer));
        if (XML_ParseBuffer(state.parser, static_cast<int>(piece), last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            whole = false;
            break;
        }
        done += piece;
    } while (done < total);
    if (!whole && !state.stoppedByHandler) {
        const std::string reason = !state.stopReason.empty() ? state.stopReason
                                                             : XML_ErrorString(XML_GetErrorCode(state.parser));
        *message = "XML not read further: " + reason + Where(state.parser);
    }
    GiveParserBack(state.parser, kept, total);
    return whole;
}

bool ParseXmlEvents(ByteView bytes, XmlEventHandler& handler, std::string* message) {
    return ParseXmlEventsInPieces(&bytes, 1, handler, message);
}
