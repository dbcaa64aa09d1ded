#include "window_icon_bits.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvela {
namespace {

TEST(WindowIcon, ColoursTurnBlueGreenRedAlphaAndOnlyClearPixelsAreMasked) {
    std::vector<std::uint8_t> rgba(64 * 64 * 4, 0xff);
    // Pixel 0: a red half-transparent pixel; pixel 9: fully transparent; the last: opaque blue.
    rgba[0] = 200, rgba[1] = 10, rgba[2] = 20, rgba[3] = 220;
    rgba[9 * 4 + 3] = 0;
    const std::size_t last = 64 * 64 - 1;
    rgba[last * 4] = 0, rgba[last * 4 + 1] = 0, rgba[last * 4 + 2] = 255, rgba[last * 4 + 3] = 255;

    const IconBits bits = window_icon_bits(rgba);
    ASSERT_EQ(bits.colour.size(), rgba.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bits.colour.begin(), bits.colour.begin() + 4),
              (std::vector<std::uint8_t>{20, 10, 200, 220}));
    EXPECT_EQ(std::vector<std::uint8_t>(bits.colour.end() - 4, bits.colour.end()),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
    ASSERT_EQ(bits.and_mask.size(), 512u);
    EXPECT_EQ(bits.and_mask[0], 0x00);
    EXPECT_EQ(bits.and_mask[1], 0x40);  // pixel 9 is the second bit of the second byte
    for (std::size_t i = 2; i < bits.and_mask.size(); ++i) EXPECT_EQ(bits.and_mask[i], 0) << i;
}

TEST(WindowIcon, AnImageOfAnotherSizeGivesNoIcon) {
    EXPECT_TRUE(window_icon_bits(std::vector<std::uint8_t>(64 * 64 * 4 - 1)).colour.empty());
    EXPECT_TRUE(window_icon_bits({}).colour.empty());
}

}  // namespace
}  // namespace tarvela
