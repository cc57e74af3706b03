// JSON strings written without the writer's byte-by-byte escaping loop.
#include "export/json_string.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ull;
constexpr uint64_t kTopBits = 0x8080808080808080ull;

// Whether any byte of word is below limit (at most 0x80): the top bit of a
// byte is left set only where subtracting the limit borrowed from a byte
// that had it clear.
bool AnyByteBelow(uint64_t word, uint8_t limit) { return ((word - kEveryByte * limit) & ~word & kTopBits) != 0; }

bool AnyByteIs(uint64_t word, uint8_t value) { return AnyByteBelow(word ^ (kEveryByte * value), 1); }

bool IsPlain(unsigned char c) { return c >= 0x20 && c != '"' && c != '\\'; }

}  // namespace

bool NeedsNoJsonEscape(const char* text, size_t size) {
    size_t i = 0;
    // Eight bytes at a time.
    for (; i + 8 <= size; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, text + i, 8);
        if (AnyByteBelow(word, 0x20) || AnyByteIs(word, '"') || AnyByteIs(word, '\\')) return false;
    }
    for (; i < size; i++) {
        if (!IsPlain(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

void WriteJsonString(JsonWriter& json, rapidjson::StringBuffer& buffer, const char* text, size_t size) {
    if (!NeedsNoJsonEscape(text, size)) {
        json.String(text, static_cast<rapidjson::SizeType>(size));
        return;
    }
    // The writer is told a string came, so that it puts the comma or colon
    // before it; the string's text is then put after that by hand.
    json.RawValue("", 0, rapidjson::kStringType);
    PutQuotedJsonText(buffer, text, size);
}

void PutQuotedJsonText(rapidjson::StringBuffer& buffer, const char* text, size_t size) {
    char* at = buffer.Push(size + 2);
    at[0] = '"';
    std::memcpy(at + 1, text, size);
    at[size + 1] = '"';
}
