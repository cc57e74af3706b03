#include <gtest/gtest.h>

#include "app13/wide_text.h"

TEST(WideText, Utf16BecomesUtf8) {
    struct WideCase {
        std::string label;
        std::vector<uint16_t> units;
        size_t maxBytes;
        std::string narrow;
    };
    const std::vector<WideCase> cases = {
        {"ascii", {'P', 'S'}, 259, "PS"},
        {"latin", {0x00E9}, 259, "\xC3\xA9"},
        {"kana", {0x30A2}, 259, "\xE3\x82\xA2"},
        {"pair", {0xD83D, 0xDE00}, 259, "\xF0\x9F\x98\x80"},
        {"lone high surrogate", {0xD83D, 'x'}, 259, "\xEF\xBF\xBD" "x"},
        {"lone low surrogate", {0xDE00}, 259, "\xEF\xBF\xBD"},
        {"cut before a character that does not fit", {'a', 0x30A2}, 3, "a"},
        {"cut keeps a pair whole", {'a', 'b', 0xD83D, 0xDE00}, 5, "ab"},
        {"exactly full", {'a', 0x30A2}, 4, "a\xE3\x82\xA2"},
        {"empty", {}, 259, ""},
    };
    for (const WideCase& c : cases) {
        EXPECT_EQ(WideToNarrowText(c.units, c.maxBytes), c.narrow) << c.label;
    }
}
