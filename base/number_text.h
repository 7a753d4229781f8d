// Number text: the two formats of the settings file, the lenient reader of
// the command line and the reader of the multimedia devices' replies.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Decimal text with a sign position: a blank before a number that is not
// negative, a minus before one that is (" 2", " 0", "-1").
std::string SignPositionText(std::int16_t number);

// A setting's text read as a number and rounded towards minus infinity, when
// the result fits in 16 bits. Accepted: blanks (space, tab) around it, a sign,
// decimal digits with an optional fraction (".5" and "5." too) and an
// optional exponent (e or E, signed): " 2", "2.9" and "-0.5" give 2, 2 and -1.
// Nothing for anything else (empty, "abc", "2abc", hexadecimal, digit group
// separators) and for values outside -32768..32767.
std::optional<std::int16_t> ReadSettingNumber(std::string_view text);

// The same grammar, rounded to the nearest whole number with halves going to
// the even one (2.5 gives 2, 3.5 gives 4, -2.5 gives -2), as the settings
// dialog reads the repeat track it stores. Not a number (the empty text
// included) and out of the 16-bit range are told apart.
struct RoundedText {
    enum class Kind { Number, NotANumber, OutOfRange };
    Kind kind = Kind::NotANumber;
    std::int16_t value = 0;
};
RoundedText ReadRoundedNumber(std::string_view text);

// A number read the lenient way: leading blanks skipped, reading stops at the
// first character that cannot continue the number, no digits gives 0. Rounds
// half to even; a value beyond 32 bits gives 0.
std::int32_t LenientInt32(const std::string& text);

// A reply read as a number: blanks around it, an optional sign, digits with
// an optional fraction or exponent. Anything else cannot be compared.
std::optional<double> ReadReplyNumber(std::string_view text);
