#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "twips.h"

TEST(Twips, FactorPerDpi) {
    EXPECT_EQ(TwipsPerPixel(96), 15.0f);
    EXPECT_EQ(TwipsPerPixel(120), 12.0f);
    EXPECT_EQ(TwipsPerPixel(144), 10.0f);
    EXPECT_EQ(TwipsPerPixel(0), 15.0f) << "a failed device query counts as 96 DPI";
}

TEST(Twips, PreviewSizeInSixteenBits) {
    EXPECT_EQ(PixelsToTwips16(152, TwipsPerPixel(96)), 2280);
    EXPECT_EQ(PixelsToTwips16(2184, TwipsPerPixel(96)), 32760);
    EXPECT_EQ(PixelsToTwips16(2185, TwipsPerPixel(96)), std::nullopt) << "32775 twips do not fit";
    EXPECT_EQ(PixelsToTwips16(2731, TwipsPerPixel(120)), std::nullopt);
    // 64 DPI gives 22.5 twips per pixel, so odd pixel counts land on halves.
    EXPECT_EQ(PixelsToTwips16(1, TwipsPerPixel(64)), 22);
    EXPECT_EQ(PixelsToTwips16(3, TwipsPerPixel(64)), 68);
    EXPECT_EQ(PixelsToTwips16(152, 0.0f), std::nullopt);
}

TEST(Twips, PixelConversionsRoundTripClampAndRefuseBadFactors) {
    EXPECT_EQ(TwipsToPixels(1, 15.0f), 0) << "the button's 1-twip offsets land on pixel 0";
    EXPECT_EQ(TwipsToPixels(30, 12.0f), 2) << "2.5";
    EXPECT_EQ(TwipsToPixels(42, 12.0f), 4) << "3.5";
    for (int dpi : {72, 96, 110, 120, 144, 192, 480}) {
        const float factor = TwipsPerPixel(dpi);
        for (std::int32_t pixels = -3000; pixels <= 3000; ++pixels)
            ASSERT_EQ(TwipsToPixels(PixelsToTwips(pixels, factor), factor), pixels) << dpi << " DPI";
    }
    EXPECT_EQ(PixelsToTwips(std::numeric_limits<std::int32_t>::min(), 15.0f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<std::int32_t>::max(), 1e-30f),
              std::numeric_limits<std::int32_t>::max());
    for (float bad : {0.0f, -15.0f, std::nanf(""), std::numeric_limits<float>::infinity()})
        EXPECT_EQ(TwipsToPixels(1500, bad), 0) << bad;
}
