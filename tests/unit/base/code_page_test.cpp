#include <gtest/gtest.h>

#include "code_page.h"

TEST(AnsiText, ErrIsFoundOnlyOnCharacterBoundaries) {
    EXPECT_TRUE(ContainsUpperCased("x\x83\x40" "err", "ERR"));
    EXPECT_FALSE(ContainsUpperCased("\x83\x65rr", "ERR"));  // 0x83 0x65 is one character (テ)
}
