#include <gtest/gtest.h>

#include <cstdint>

#include "exif/tag_names.h"

// The lookup must find every row of the table and nothing else: over all
// 16-bit tags, the number found is the number of rows.
TEST(TagLookup, FindsExactlyTheRowsOfTheTable) {
    int found = 0;
    for (uint32_t tag = 0; tag <= 0xFFFF; tag++) {
        const char* name = FindTagName(tag);
        if (name == nullptr) continue;
        found++;
        EXPECT_NE(name[0], '\0') << std::hex << tag;
    }
    EXPECT_EQ(found, TagNameCount());
    EXPECT_EQ(FindTagName(0x10000 | 0x010F), nullptr);  // Make's number above 16 bits is not Make
}
