#include <gtest/gtest.h>

#include "code_page.h"

TEST(CodePage, ALeadByteTakesTheNextByteUnlessThereIsNoneOrItIsNul) {
    using namespace std::string_literals;
    const std::pair<std::string, std::size_t> cases[] = {
        {"a", 1},
        {"\x83\x5C", 2} /* ソ: its trail byte has the value of a backslash */,
        {"\x83", 1},
        {"\x83\0x"s, 1},
        {"\xA0\x5C", 1} /* half-width kana are single bytes */,
        {"\xE0\x40", 2},
        {"\xFD\x40", 1},
    };
    for (const auto& [text, length] : cases) EXPECT_EQ(ShiftJis().CharLength(text, 0), length) << text;
}

TEST(CodePage, CharacterWalksNeverMatchATrailByte) {
    const CodePage& cp = ShiftJis();
    EXPECT_TRUE(
        ContainsUpperCased("x\x83\x40"
                           "err",
                           "ERR", cp));
    EXPECT_FALSE(ContainsUpperCased("\x83\x65rr", "ERR", cp));  // 0x83 0x65 is one character (テ)
    EXPECT_TRUE(ContainsUpperCased("\x83\x65rr", "ERR", CodePage::Numbered(1252))) << "ƒerr in 1252";
    EXPECT_EQ(LastCharacters("a.\x83\x4dp3", 3, cp), "\x83\x4dp3");
    EXPECT_EQ(LastCharacters("mp3", 5, cp), "mp3");
    EXPECT_EQ(UpperCased("a\x83\x61"
                         "b",
                         cp),
              "A\x83\x61"
              "B");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("bgm\x8B\xE6", "BGM\x8B\xE6", cp));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\x83\x61", "\x83\x41", cp)) << "trail bytes compare exactly";
}
