#include <gtest/gtest.h>

#include "app13/wide_text.h"

// Letters of plain ASCII are the same in every ANSI code page.
TEST(WideText, AnsiConversionKeepsWholeCharacters) {
    struct WideCase {
        std::string label;
        std::vector<uint16_t> units;
        size_t maxBytes;
        std::string narrow;
    };
    const std::vector<WideCase> cases = {
        {"ascii", {'A', 'd', 'o', 'b', 'e'}, 259, "Adobe"},
        {"cut at the buffer", {'a', 'b', 'c', 'd'}, 3, "abc"},
        {"empty", {}, 259, ""},
        {"nothing fits", {'a'}, 0, ""},
    };
    for (const WideCase& c : cases) {
        EXPECT_EQ(WideToNarrowText(c.units, c.maxBytes), c.narrow) << c.label;
    }
}
