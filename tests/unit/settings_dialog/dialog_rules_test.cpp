// The settings dialog's placement, number format and repeat text.
#include "dialog_rules.h"

#include <gtest/gtest.h>

TEST(DialogRules, OpensCentredWithAThirdOfTheFreeHeightAbove) {
    // 1024 x 768 at 15 twips per pixel, the 450 x 319 sheet: top 2245 twips,
    // pixel 150 (pixel arithmetic would give 149).
    const DialogOrigin at = PlaceDialog(15360, 11520, 6750, 4785);
    EXPECT_EQ(at.left, 4305);
    EXPECT_EQ(at.top, 2245);
    // A screen smaller than the dialog: negative, truncated towards zero.
    EXPECT_EQ(PlaceDialog(6000, 4000, 6750, 4785).top, -261);
}

TEST(DialogRules, RepeatTextAndItsFormat) {
    EXPECT_EQ(FormatHash(0), "");
    EXPECT_EQ(FormatHash(-3), "-3");
    EXPECT_EQ(FormatHash(30), "30");
    EXPECT_EQ(RepeatFromText("5", 9), 5);
    EXPECT_EQ(RepeatFromText("2.5", 9), 2);
    EXPECT_EQ(RepeatFromText("3.5", 9), 4);
    EXPECT_EQ(RepeatFromText("abc", 9), 0);
    EXPECT_EQ(RepeatFromText("", 9), 0);
    EXPECT_EQ(RepeatFromText("40000", 9), 9);  // does not fit: the old value stays
}
