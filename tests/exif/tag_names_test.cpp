#include <gtest/gtest.h>

#include <string>

#include "exif/tag_names.h"

namespace {

TEST(TagNames, EveryRowIsThereWithItsOwnSpelling) {
    EXPECT_EQ(TagNameCount(), 173);
    struct Case {
        uint32_t tag;
        const char* name;  // nullptr: not in the table
    };
    const Case cases[] = {
        {0x0001, "InteropIndex"},     {0x0107, "Threshholding"},         {0x8825, "GPS Dir offset"},
        {0xA302, "CFA Pattern"},      {0x9C9B, "Windows - XP Title"},    {0x9C9F, "Windows - XP subject"},
        {0x83BB, "IPTC/NAA"},         {0xEA1D, "OffsetSchema"},          {0xA005, "InteroperabilityOffset"},
        {0x0000, nullptr},            {0x9C9A, nullptr},                 {0xFFFF, nullptr},
        {0x10001, nullptr},
    };
    for (const Case& c : cases) {
        const char* name = FindTagName(c.tag);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr) << std::hex << c.tag;
        } else {
            ASSERT_NE(name, nullptr) << std::hex << c.tag;
            EXPECT_STREQ(name, c.name);
        }
    }
}

}  // namespace
