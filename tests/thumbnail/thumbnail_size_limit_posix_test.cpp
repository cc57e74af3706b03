// The pixel buffer is sized from the thumbnail's own header, before any
// pixel is decoded: a header that claims more than a thumbnail can be must
// not reserve the memory for it.
#include <gtest/gtest.h>

#include "decode_result.h"
#include "test_jpeg.h"

namespace {

TEST(ThumbnailSizeLimit, LargePicturesDecodeUpToAMegapixel) {
    struct Case {
        const char* name;
        std::vector<uint8_t> jpeg;
        int width;  // 0: refused
        int height;
    };
    const Case cases[] = {
        {"usual 160 x 120", MakeTestJpeg(160, 120), 160, 120},
        {"a megapixel exactly", MakeTestJpeg(1024, 1024), 1024, 1024},
        {"wide but small", MakeTestJpeg(4096, 16), 4096, 16},
        {"just over a megapixel", MakeTestJpeg(1025, 1024), 0, 0},
        // A valid scan for 16 x 16 behind a header that claims 8000 x 8000.
        {"claims 8000 x 8000", ClaimFrameSize(MakeTestJpeg(16, 16), 8000, 8000), 0, 0},
        {"claims 65535 x 1", ClaimFrameSize(MakeTestJpeg(16, 16), 65535, 1), 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.jpeg.empty()) << c.name;
        const DecodeResult result = Decode(c.jpeg);
        EXPECT_EQ(result.current, c.width > 0) << c.name;
        EXPECT_EQ(result.width, c.width) << c.name;
        EXPECT_EQ(result.height, c.height) << c.name;
    }
}

}  // namespace
