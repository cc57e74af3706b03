#include <gtest/gtest.h>

#include "app/thumbnail_placement.h"
#include "app/track_size.h"

namespace {

// Rectangles written as left, top, right, bottom.
const auto R = &MakeRect;

TEST(ThumbnailPlacement, CentredAndShrunkToFit) {
    const struct {
        const char* label;
        PixelRect area;
        int32_t width, height;
        PixelRect want;
    } cases[] = {
        {"fits: drawn at its own size", R(0, 0, 400, 300), 160, 120, R(120, 90, 280, 210)},
        {"narrow pane", R(0, 0, 100, 300), 160, 120, R(0, 112, 100, 187)},
        {"low pane", R(0, 0, 300, 60), 160, 120, R(110, 0, 190, 60)},
        {"exactly the pane's size fills it", R(0, 0, 160, 120), 160, 120, R(0, 0, 160, 120)},
        {"offset pane", R(10, 20, 410, 320), 160, 120, R(130, 110, 290, 230)},
        {"never enlarged", R(0, 0, 1000, 1000), 8, 6, R(496, 497, 504, 503)},
        {"too wide by one pixel", R(0, 0, 159, 120), 160, 120, R(0, 0, 159, 119)},
        {"zero-width pane", R(0, 0, 0, 300), 160, 120, R(0, 150, 0, 150)},
        {"zero-height pane", R(0, 0, 300, 0), 160, 120, R(150, 0, 150, 0)},
        {"no pixels", R(0, 0, 400, 300), 0, 120, R(200, 150, 200, 150)},
        {"huge bitmap in a tall pane", R(0, 0, 20000, 30000), 100000, 50000, R(0, 10000, 20000, 20000)},
    };
    for (const auto& c : cases) {
        PixelRect got = ThumbnailTargetRect(c.area, c.width, c.height);
        EXPECT_EQ(got.left, c.want.left) << c.label;
        EXPECT_EQ(got.top, c.want.top) << c.label;
        EXPECT_EQ(got.right, c.want.right) << c.label;
        EXPECT_EQ(got.bottom, c.want.bottom) << c.label;
    }
}

TEST(TrackSize, FrameStatusBarAndStrip) {
    const struct {
        PixelRect window, client;
        int32_t statusBar;
        int32_t width, height;
    } cases[] = {
        {R(100, 100, 900, 700), R(0, 0, 784, 562), 22, 16, 38 + 22 + 104},
        {R(0, 0, 800, 600), R(0, 0, 800, 600), 0, 0, 104},
        {R(-8, -8, 1928, 1048), R(0, 0, 1920, 1017), 19, 16, 39 + 19 + 104},
    };
    for (const auto& c : cases) {
        TrackSize got = MinimumTrackSize(c.window, c.client, c.statusBar);
        EXPECT_EQ(got.width, c.width);
        EXPECT_EQ(got.height, c.height);
    }
}

}  // namespace
