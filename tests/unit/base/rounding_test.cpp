#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rounding.h"

TEST(Rounding, HalfEvenWithRangeCheckedAfterRounding) {
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
    EXPECT_EQ(RoundToInt16(-2.5), -2);
    EXPECT_EQ(RoundToInt16(2.5000001), 3);
    EXPECT_EQ(RoundToInt32(1e9 + 1.5), 1000000002);
    EXPECT_EQ(RoundToInt16(32767.5), std::nullopt) << "rounds to 32768";
    EXPECT_EQ(RoundToInt16(-32768.5), -32768) << "rounds to the even -32768, which fits";
    EXPECT_EQ(RoundToInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundToInt16(std::nan("")), std::nullopt);

    // Clamped instead of refused, for the GIF control's scaled geometry.
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(1e12), 2147483647);
    EXPECT_EQ(RoundHalfEven(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}
