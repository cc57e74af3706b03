// JSON read by rapidjson's event reader, written at once as marshal data.
#include "python/marshal_writer.h"

#include <rapidjson/reader.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// The type codes of Python's marshal format (Python/marshal.c).
constexpr char kNone = 'N';
constexpr char kFalse = 'F';
constexpr char kTrue = 'T';
constexpr char kInt = 'i';
constexpr char kLong = 'l';
constexpr char kBinaryFloat = 'g';
constexpr char kUnicode = 'u';
constexpr char kAscii = 'a';
constexpr char kShortAscii = 'z';
constexpr char kList = '[';
constexpr char kDict = '{';
constexpr char kDictEnd = '0';
constexpr char kRef = 'r';
constexpr unsigned char kFlagRef = 0x80;

// Strings longer than this are seldom repeated: not worth a lookup.
constexpr size_t kMaxSharedLength = 32;

struct MarshalHandler : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, MarshalHandler> {
    std::string& out;
    std::vector<size_t> listCounts;  // where each open list's count is, then its count
    std::vector<uint32_t> counts;
    // A string (in the text parsed in place, which outlives the handler)
    // -> its reference number.
    std::unordered_map<std::string_view, uint32_t>& shared;
    uint32_t nextRef = 0;

    MarshalHandler(std::string& target, std::unordered_map<std::string_view, uint32_t>& sharedStrings)
        : out(target), shared(sharedStrings) {
        shared.clear();
    }

    void U32(uint32_t value) {
        const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                               static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
        out.append(bytes, 4);
    }
    void CountItem() {
        if (!counts.empty()) counts.back()++;
    }

    bool Null() { CountItem(); out += kNone; return true; }
    bool Bool(bool value) { CountItem(); out += value ? kTrue : kFalse; return true; }
    bool Int(int value) { CountItem(); out += kInt; U32(static_cast<uint32_t>(value)); return true; }
    bool Uint(unsigned value) { return value <= INT32_MAX ? Int(static_cast<int>(value)) : Uint64(value); }
    bool Int64(int64_t value) {
        if (value >= INT32_MIN && value <= INT32_MAX) return Int(static_cast<int>(value));
        const bool negative = value < 0;
        const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        return Long(magnitude, negative);
    }
    bool Uint64(uint64_t value) {
        if (value <= INT32_MAX) return Int(static_cast<int>(value));
        return Long(value, false);
    }
    // An int beyond 32 bits: its count of 15-bit digits (negative for a
    // negative number), then the digits, lowest first.
    bool Long(uint64_t magnitude, bool negative) {
        CountItem();
        uint16_t digits[5];
        int count = 0;
        for (; magnitude != 0; magnitude >>= 15) digits[count++] = static_cast<uint16_t>(magnitude & 0x7FFF);
        out += kLong;
        U32(static_cast<uint32_t>(negative ? -count : count));
        for (int i = 0; i < count; i++) {
            out += static_cast<char>(digits[i] & 0xFF);
            out += static_cast<char>(digits[i] >> 8);
        }
        return true;
    }
    bool Double(double value) {
        CountItem();
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        out += kBinaryFloat;
        U32(static_cast<uint32_t>(bits));
        U32(static_cast<uint32_t>(bits >> 32));
        return true;
    }
    bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }

    bool String(const char* text, rapidjson::SizeType length, bool) {
        CountItem();
        WriteString(text, length);
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        WriteString(text, length);
        return true;
    }
    void WriteString(const char* text, size_t length) {
        const std::string_view view(text, length);
        const bool shareable = length <= kMaxSharedLength;
        if (shareable) {
            const auto found = shared.find(view);
            if (found != shared.end()) {
                out += kRef;
                U32(found->second);
                return;
            }
        }
        bool ascii = true;
        for (size_t i = 0; i < length && ascii; i++) ascii = static_cast<unsigned char>(text[i]) < 0x80;
        char type = ascii ? (length < 256 ? kShortAscii : kAscii) : kUnicode;
        if (shareable && nextRef < UINT32_MAX) {
            type = static_cast<char>(static_cast<unsigned char>(type) | kFlagRef);
            shared.emplace(view, nextRef++);
        }
        out += type;
        if ((static_cast<unsigned char>(type) & ~kFlagRef) == kShortAscii) {
            out += static_cast<char>(length);
        } else {
            U32(static_cast<uint32_t>(length));
        }
        out.append(text, length);
    }

    bool StartObject() { CountItem(); out += kDict; counts.push_back(0); return true; }
    bool EndObject(rapidjson::SizeType) { counts.pop_back(); out += kDictEnd; return true; }
    bool StartArray() {
        CountItem();
        out += kList;
        listCounts.push_back(out.size());
        U32(0);
        counts.push_back(0);
        return true;
    }
    bool EndArray(rapidjson::SizeType) {
        const uint32_t count = counts.back();
        counts.pop_back();
        const size_t at = listCounts.back();
        listCounts.pop_back();
        for (int i = 0; i < 4; i++) out[at + static_cast<size_t>(i)] = static_cast<char>(count >> (8 * i));
        return true;
    }
};

}  // namespace

bool AppendMarshalOfJson(std::string& out, std::string& json) {
    // Kept from call to call: its buckets are not allocated again.
    thread_local std::unordered_map<std::string_view, uint32_t> shared;
    MarshalHandler handler(out, shared);
    rapidjson::Reader reader;
    // Parsed in place: the strings stay where they are, in json, so the
    // table of strings seen can point into it rather than copy them.
    rapidjson::InsituStringStream stream(&json[0]);
    const bool parsed =
        !reader.Parse<rapidjson::kParseFullPrecisionFlag | rapidjson::kParseInsituFlag>(stream, handler).IsError();
    shared.clear();
    return parsed;
}
