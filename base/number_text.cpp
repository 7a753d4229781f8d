#include "number_text.h"

#include <charconv>

#include "rounding.h"

namespace {
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool IsSign(char c) { return c == '+' || c == '-'; }

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

std::string_view TakeDigits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(start, at - start);
}

// The number when the text holds nothing else but blanks.
std::optional<NumberText> WholeTextNumber(std::string_view text) {
    const auto number = ScanNumber(text);
    if (!number || SkipBlanks(text, number->end) != text.size()) return std::nullopt;
    return number;
}

// The number's value as the nearest double, taking at most maxExponentChars
// characters of its exponent; nothing beyond the range of a double.
std::optional<double> ToDouble(const NumberText& number, std::size_t maxExponentChars) {
    std::string text(number.whole.empty() ? "0" : number.whole);
    if (!number.fraction.empty()) text.append(".").append(number.fraction);
    const std::string_view exponent = number.exponent.substr(0, maxExponentChars);
    if (!exponent.empty()) text.append("e").append(exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return number.negative ? -value : value;
}

// The number split up for exact arithmetic: its decimal digits and where the
// point falls among them once the exponent is applied.
struct Decimal {
    bool negative = false;
    std::string digits;
    long long point = 0;
};

Decimal ToDecimal(const NumberText& number) {
    std::size_t i = 0;
    const bool exponentNegative = !number.exponent.empty() && number.exponent[0] == '-';
    if (!number.exponent.empty() && IsSign(number.exponent[0])) ++i;
    // Saturated far beyond any exponent that could still give a 16-bit number.
    long long exponent = 0;
    for (; i < number.exponent.size(); ++i)
        if (exponent < 1000000) exponent = exponent * 10 + (number.exponent[i] - '0');
    if (exponentNegative) exponent = -exponent;
    return {number.negative, std::string(number.whole) + std::string(number.fraction),
            static_cast<long long>(number.whole.size()) + exponent};
}

enum class Rounding { Floor, HalfEven };

// Exact decimal arithmetic: the integer part is the first `point` digits
// (zeros beyond them), the rest decides the rounding. Nothing when the
// result does not fit in 16 bits.
std::optional<std::int16_t> Round16(const Decimal& d, Rounding rounding) {
    long long integer = 0;
    int firstFraction = 0;     // the digit right after the point
    bool restNonZero = false;  // any digit after that one
    for (long long k = 0; k < static_cast<long long>(d.digits.size()); ++k) {
        const int digit = d.digits[static_cast<std::size_t>(k)] - '0';
        if (k < d.point) {
            integer = integer * 10 + digit;
            if (integer > 32768) return std::nullopt;
        } else if (k == d.point) {
            firstFraction = digit;
        } else if (digit != 0) {
            restNonZero = true;
        }
    }
    for (long long k = static_cast<long long>(d.digits.size()); integer != 0 && k < d.point; ++k) {
        integer *= 10;
        if (integer > 32768) return std::nullopt;
    }
    // Digits that lie wholly after the point (a point before the first digit).
    if (d.point < 0) {
        firstFraction = 0;
        restNonZero = d.digits.find_first_not_of('0') != std::string::npos;
    }
    if (rounding == Rounding::Floor) {
        if (d.negative && (firstFraction != 0 || restNonZero)) ++integer;  // towards minus infinity
    } else {
        const FractionPart part = firstFraction > 5 || (firstFraction == 5 && restNonZero) ? FractionPart::AboveHalf
                                  : firstFraction == 5                                     ? FractionPart::Half
                                                                                           : FractionPart::BelowHalf;
        if (HalfEvenRoundsUp(part, integer % 2 == 1)) ++integer;  // the magnitude: halves go to even either way
    }
    const long long value = d.negative ? -integer : integer;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// The lenient reader hands the conversion at most this much exponent: an
// exponent sign and six digits, or seven digits.
constexpr std::size_t kLenientExponentChars = 7;
}  // namespace

std::optional<NumberText> ScanNumber(std::string_view text) {
    std::size_t at = SkipBlanks(text, 0);
    NumberText number;
    if (at < text.size() && IsSign(text[at])) number.negative = text[at++] == '-';
    number.whole = TakeDigits(text, at);
    if (at < text.size() && text[at] == '.') number.fraction = TakeDigits(text, ++at);
    if (number.whole.empty() && number.fraction.empty()) return std::nullopt;
    number.end = at;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const std::size_t start = ++at;
        if (at < text.size() && IsSign(text[at])) ++at;
        if (!TakeDigits(text, at).empty()) {
            number.exponent = text.substr(start, at - start);
            number.end = at;
        }
    }
    return number;
}

std::string SignPositionText(std::int16_t number) {
    const int value = number;
    std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "-" : " ") + digits;
}

std::optional<std::int16_t> ReadSettingNumber(std::string_view text) {
    const auto number = WholeTextNumber(text);
    if (!number) return std::nullopt;
    return Round16(ToDecimal(*number), Rounding::Floor);
}

RoundedText ReadRoundedNumber(std::string_view text) {
    const auto number = WholeTextNumber(text);
    if (!number) return {RoundedText::Kind::NotANumber, 0};
    const auto value = Round16(ToDecimal(*number), Rounding::HalfEven);
    if (!value) return {RoundedText::Kind::OutOfRange, 0};
    return {RoundedText::Kind::Number, *value};
}

std::int32_t LenientInt32(std::string_view text) {
    const auto number = ScanNumber(text);
    if (!number) return 0;
    // Beyond the range of a double either way gives 0: an overflow is out of
    // range, and an underflow rounds to 0.
    const auto value = ToDouble(*number, kLenientExponentChars);
    return value ? RoundToInt32(*value).value_or(0) : 0;
}

std::optional<double> ReadReplyNumber(std::string_view text) {
    const auto number = WholeTextNumber(text);
    if (!number) return std::nullopt;
    return ToDouble(*number, std::string_view::npos);
}
