// Number text: one grammar for every number the program reads, the text the
// settings file holds, and the readers, each named for where it applies.
// Every reader takes, after blanks (space, tab):
//   [+|-] digits [. digits] [(e|E) [+|-] digits]
// with at least one digit before or after the point (".5" and "5." are
// numbers). Hexadecimal, digit group separators, "inf" and "nan" are not.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The parts of a number found in a text, as views into it.
struct NumberText {
    bool negative = false;
    std::string_view whole;     // digits before the point
    std::string_view fraction;  // digits after it
    std::string_view exponent;  // after the e: its sign, if any, and its digits; empty when there is none
    std::size_t end = 0;        // offset just past the number
};

// The number that starts text after its blanks. Reading stops at the first
// character that cannot continue it; an e without digits after it is left
// out ("1e" is the number 1 followed by "e"). Nothing when no digit comes.
std::optional<NumberText> ScanNumber(std::string_view text);

// The settings file (BGM区分, BGMﾘﾋﾟｰﾄ).
// Decimal text with a sign position: a blank before a number that is not
// negative, a minus before one that is (" 2", " 0", "-1").
std::string SignPositionText(std::int16_t number);

// A setting's text read as a number and rounded towards minus infinity, when
// the result fits in 16 bits. The whole text must be one number, blanks
// around it allowed: " 2", "2.9" and "-0.5" give 2, 2 and -1. Nothing for
// anything else (empty, "abc", "2abc") and for values outside -32768..32767.
std::optional<std::int16_t> ReadSettingNumber(std::string_view text);

// The settings dialog's repeat box: the same text rounded to the nearest
// whole number with halves going to the even one (2.5 gives 2, 3.5 gives 4,
// -2.5 gives -2), exactly, on the decimal digits. Not a number (the empty
// text included) and out of the 16-bit range are told apart.
struct RoundedText {
    enum class Kind { Number, NotANumber, OutOfRange };
    Kind kind = Kind::NotANumber;
    std::int16_t value = 0;
};
RoundedText ReadRoundedNumber(std::string_view text);

// The command line's /p handle, read the lenient way: the number that starts
// the text, whatever follows it, of which at most 7 characters of exponent
// count ("1e+0000005" reads as 1), as the nearest double rounded half to
// even. No number, or a value beyond 32 bits, gives 0.
std::int32_t LenientInt32(std::string_view text);

// A multimedia device's reply (a track number) as the nearest double: the
// whole text must be one number, blanks around it allowed. Nothing for
// anything else, or beyond the range of a double.
std::optional<double> ReadReplyNumber(std::string_view text);
