// Smooth resizing of premultiplied pictures: flat stays flat, edges blend
// without dark fringes, and sizes outside the limits give nothing.
#include "resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

TEST(Resample, BlendsSmoothlyAndKeepsColourWithinAlpha) {
    const std::uint32_t opaque = 0xFF3C74C8, clear = 0;
    // Flat pictures stay flat at every size, up or down.
    for (auto [w, h] : {std::pair{48, 48}, std::pair{40, 40}, std::pair{3, 7}}) {
        const auto out = ResamplePremultiplied(std::vector<std::uint32_t>(32 * 32, opaque), 32, 32, w, h);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(w * h));
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [&](std::uint32_t p) { return p == opaque; })) << w;
    }
    // An opaque pixel beside a clear one, doubled: a ramp between them, every
    // pixel a faded copy of the opaque one (premultiplied: no dark fringe).
    const auto ramp = ResamplePremultiplied(std::vector<std::uint32_t>{opaque, clear}, 2, 1, 4, 1);
    ASSERT_EQ(ramp.size(), 4u);
    EXPECT_EQ(ramp[0], opaque);
    EXPECT_EQ(ramp[3], clear);
    EXPECT_GT(ramp[1] >> 24, ramp[2] >> 24);
    for (std::uint32_t p : ramp)
        for (int c = 0; c < 24; c += 8) EXPECT_LE((p >> c) & 0xFF, p >> 24) << std::hex << p;
    // Halving averages each 2 x 2 block's neighbourhood.
    const auto half = ResamplePremultiplied(std::vector<std::uint32_t>{opaque, clear, clear, opaque}, 2, 2, 1, 1);
    EXPECT_EQ(half[0] >> 24, 0x80u);

    const std::vector<std::uint32_t> one = {opaque};
    EXPECT_TRUE(ResamplePremultiplied(one, 1, 1, 0, 5).empty());
    EXPECT_TRUE(ResamplePremultiplied(one, 1, 1, kResampleMaxSide + 1, 1).empty());
    EXPECT_TRUE(ResamplePremultiplied(one, 2, 1, 4, 4).empty()) << "fewer pixels than the size says";
}
