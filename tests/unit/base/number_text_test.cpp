#include <gtest/gtest.h>

#include "number_text.h"

TEST(SignPositionText, BlankBeforeNonNegativeMinusBeforeNegative) {
    EXPECT_EQ(SignPositionText(2), " 2");
    EXPECT_EQ(SignPositionText(0), " 0");
    EXPECT_EQ(SignPositionText(-1), "-1");
    EXPECT_EQ(SignPositionText(32767), " 32767");
    EXPECT_EQ(SignPositionText(-32768), "-32768");
}

TEST(ReadSettingNumber, AcceptsBlanksFractionsAndExponentsAndRoundsDown) {
    const std::pair<const char*, int> cases[] = {
        {"2", 2},
        {" 2", 2},
        {"\t2 \t", 2},
        {"2.9", 2},
        {"+3", 3},
        {"-1", -1},
        {"-2.5", -3},
        {"-0.5", -1},
        {"-0", 0},
        {".5", 0},
        {"-.5", -1},
        {"5.", 5},
        {"1e2", 100},
        {"25E-1", 2},
        {"-25e-1", -3},
        {"0e99999999999", 0},
        {"32767", 32767},
        {"32767.99", 32767},
        {"-32768", -32768},
        {"000000000000000000001", 1},
        {"327.67e2", 32767},
        {"-3276.8e1", -32768},
    };
    for (const auto& [text, want] : cases) {
        const auto got = ReadSettingNumber(text);
        ASSERT_TRUE(got.has_value()) << text;
        EXPECT_EQ(*got, want) << text;
    }
}

TEST(ReadSettingNumber, RefusesTextThatIsNotANumberAndValuesBeyond16Bits) {
    const char* const cases[] = {"",
                                 " ",
                                 "abc",
                                 "2abc",
                                 "2 3",
                                 "1e",
                                 "e1",
                                 "-",
                                 ".",
                                 "+-1",
                                 "&H10",
                                 "1,000",
                                 "0x10",
                                 "nan",
                                 "32768",
                                 "-32769",
                                 "-32768.5",
                                 "1e5",
                                 "1e999999999999",
                                 "99999999999999999999"};
    for (const char* text : cases) EXPECT_FALSE(ReadSettingNumber(text).has_value()) << '"' << text << '"';
}

TEST(ReadRoundedNumber, HalvesGoToTheEvenNeighbourAndTheThreeOutcomesDiffer) {
    using Kind = RoundedText::Kind;
    const struct {
        const char* text;
        Kind kind;
        int value;
    } cases[] = {
        {"2.5", Kind::Number, 2},         {"3.5", Kind::Number, 4},       {"2.7", Kind::Number, 3},
        {"-2.5", Kind::Number, -2},       {"2.51", Kind::Number, 3},      {"0.5", Kind::Number, 0},
        {" 5 ", Kind::Number, 5},         {"25e-1", Kind::Number, 2},     {"-32768.5", Kind::Number, -32768},
        {"", Kind::NotANumber, 0},        {"abc", Kind::NotANumber, 0},   {"5x", Kind::NotANumber, 0},
        {"32767.5", Kind::OutOfRange, 0}, {"40000", Kind::OutOfRange, 0}, {"-1e9", Kind::OutOfRange, 0},
    };
    for (const auto& c : cases) {
        const RoundedText got = ReadRoundedNumber(c.text);
        EXPECT_EQ(got.kind, c.kind) << c.text;
        EXPECT_EQ(got.value, c.value) << c.text;
    }
}

TEST(LenientInt32, ReadsTheLeadingNumberAndRoundsHalfToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"1234", 1234},
        {"   1234xyz", 1234},
        {"-42", -42},
        {"2.5", 2},
        {"3.5", 4},
        {"1e3", 1000},
        {"1e", 1} /* an exponent without digits is not read */,
        {"1e+0000005", 1} /* at most 7 characters of exponent */,
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 0} /* beyond 32 bits */,
        {"1e400", 0},
        {"1e-400", 0},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(LenientInt32(text), want) << text;
}

TEST(ReadReplyNumber, TheWholeReplyAsADouble) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"12", 12.0},       {" 3 ", 3.0},         {"+.5", 0.5},         {"2e1", 20.0},         {"1.", 1.0},
        {"", std::nullopt}, {"3x", std::nullopt}, {"1e", std::nullopt}, {"inf", std::nullopt}, {"1e-400", std::nullopt},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(ReadReplyNumber(text), want) << text;
}
