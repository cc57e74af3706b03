// The data forms of an analysis: EXIF values in the JSON object, CSV fields
// and text made valid UTF-8.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

#include "exif/exif_block_builder.h"
#include "export/csv_row.h"
#include "export/json_object.h"
#include "export/json_string.h"
#include "export/utf8_text.h"

namespace {

using namespace exif_test;

std::string Compact(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return buffer.GetString();
}

TEST(JsonObject, ExifValuesByFormat) {
    struct Case {
        unsigned tag;
        unsigned format;
        uint32_t count;
        std::vector<uint8_t> value;
        const char* json;  // the entry's value, and its raw text for rationals
    };
    ExifBlockBuilder b(true);
    const Case cases[] = {
        {0x0100, kShort, 2, b.Shorts({1, 2}), "[1,2]"},
        {0x0101, kLong, 1, b.Longs({0xFFFFFFFF}), "4294967295"},
        {0x0102, kByte, 1, {0x80, 0, 0, 0}, "128"},
        {0x011A, kRational, 1, b.Rationals({{0xFFFFFFFF, 1}}), "4294967295.0 \"4294967295/1\""},
        {0x011B, kSRational, 1, b.Rationals({{0xFFFFFFFD, 2}}), "-1.5 \"-3/2\""},
        {0x829D, kRational, 2, b.Rationals({{3, 0}, {1, 4}}), "[null,0.25] [\"3/0\",\"1/4\"]"},
        {0x010E, kAscii, 6, Bytes(std::string("ab\0cd\0", 6)), "\"ab\""},
        {0x9000, kUndefined, 4, Bytes("0230"), "\"30323330\""},
        {0x9C9B, kByte, 0, {0, 0, 0, 0}, "[]"},
    };
    int dir = b.Directory();
    for (const Case& c : cases) b.Add(dir, c.tag, c.format, c.count, c.value);
    ExifRun run(b.Tiff());
    run.capture.analysis.reachedSummary = true;
    std::string json;
    AppendJsonObject(json, run.capture.analysis, "x.jpg");
    rapidjson::Document object;
    object.Parse(json.c_str());
    ASSERT_TRUE(object.HasMember("EXIF")) << json;
    const rapidjson::Value& entries = object["EXIF"];
    ASSERT_EQ(entries.Size(), std::size(cases));
    for (rapidjson::SizeType i = 0; i < entries.Size(); i++) {
        const rapidjson::Value& entry = entries[i];
        std::string shown = Compact(entry["value"]);
        if (entry.HasMember("raw")) shown += " " + Compact(entry["raw"]);
        EXPECT_EQ(entry["tag"].GetUint(), cases[i].tag);
        EXPECT_EQ(shown, cases[i].json) << cases[i].tag;
    }
}

TEST(CsvRow, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"semi;colon 'quote'", "semi;colon 'quote'"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendCsvField(out, c.first);
        EXPECT_EQ(out, c.second) << c.first;
    }
}

TEST(Utf8Text, ValidUtf8PassesAndOtherBytesAreLatin1) {
    const std::pair<std::string, std::string> cases[] = {
        {"ascii", "ascii"},
        {"caf\xC3\xA9 \xE6\x83\x85 \xF0\x9F\x93\xB7", "caf\xC3\xA9 \xE6\x83\x85 \xF0\x9F\x93\xB7"},
        {"caf\xE9", "caf\xC3\xA9"},                          // a lone Latin-1 byte
        {"\xC0\x80", "\xC3\x80\xC2\x80"},                    // an overlong zero
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},        // a surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // above U+10FFFF
        {"\xE6\x83", "\xC3\xA6\xC2\x83"},                    // cut short at the end
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"eight ascii caf\xC3\xA9", "eight ascii caf\xC3\xA9"},  // past the first eight bytes
        {"eight by\xE9", "eight by\xC3\xA9"},
        {"sixteen ascii by\xE6\x83", "sixteen ascii by\xC3\xA6\xC2\x83"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AsUtf8(c.first), c.second) << c.first;
        EXPECT_EQ(IsValidUtf8(c.first.data(), c.first.size()), c.first == c.second) << c.first;
    }
}

// Every byte at every place of a text, in a word of eight and in the tail,
// is written as a string that parses back to the text.
TEST(JsonString, EveryByteAtEveryPlaceParsesBack) {
    for (int byte = 0; byte < 0x80; byte++) {
        for (size_t at = 0; at < 17; at++) {
            std::string text(17, 'a');
            text[at] = static_cast<char>(byte);
            const bool plain = byte >= 0x20 && byte != '"' && byte != '\\';
            EXPECT_EQ(NeedsNoJsonEscape(text.data(), text.size()), plain) << byte << " at " << at;
            rapidjson::StringBuffer buffer;
            JsonWriter json(buffer);
            json.StartArray();
            WriteJsonString(json, buffer, text.data(), text.size());
            WriteJsonString(json, buffer, "\xC3\xA9", 2);
            json.EndArray();
            rapidjson::Document parsed;
            parsed.Parse(buffer.GetString(), buffer.GetSize());
            ASSERT_FALSE(parsed.HasParseError()) << byte << " at " << at;
            EXPECT_EQ(std::string(parsed[0].GetString(), parsed[0].GetStringLength()), text) << byte << " at " << at;
            EXPECT_STREQ(parsed[1].GetString(), "\xC3\xA9");
        }
    }
}

// Text cells that a spreadsheet would run as a formula get a leading quote,
// unless raw; the file name and the message are such cells.
TEST(CsvRow, CellsASpreadsheetWouldRunAreQuoted) {
    const std::pair<std::string, std::string> cases[] = {
        {"=HYPERLINK(1)", "'=HYPERLINK(1)"}, {"+cmd", "'+cmd"},      {"-2", "'-2"},        {"@SUM(1)", "'@SUM(1)"},
        {"\tf.jpg", "'\tf.jpg"},             {"\rf", "\"'\rf\""}, {"a=b", "a=b"},         {" =1", " =1"},
    };
    for (const auto& c : cases) {
        std::string quoted, raw;
        AppendCsvFailure(quoted, c.first, c.first);
        AppendCsvFailure(raw, c.first, c.first, CsvStyle{true});
        EXPECT_EQ(quoted.substr(0, c.second.size() + 7), c.second + ",false,") << quoted;
        EXPECT_EQ(quoted.substr(quoted.size() - c.second.size() - 3), "," + c.second + "\r\n") << quoted;
        EXPECT_EQ(raw.find('\''), std::string::npos) << raw;
    }
}

// Paths keep their bytes: two names that differ stay different.
TEST(Utf8Text, PathsKeepStrayBytesAsHexAndDoubleBackslashes) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b.jpg", "/a/b.jpg"},
        {"caf\xC3\xA9.jpg", "caf\xC3\xA9.jpg"},
        {"caf\xE9.jpg", "caf\\xe9.jpg"},
        {"caf\\xe9.jpg", "caf\\\\xe9.jpg"},  // a name that reads like an escape
        {"\xE6\x83", "\\xe6\\x83"},           // cut short at the end
        {"\xC0\x80", "\\xc0\\x80"},           // an overlong zero
        {"\xFF", "\\xff"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathAsUtf8(c.first), c.second) << c.first;
}

}  // namespace
