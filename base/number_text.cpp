#include "number_text.h"

#include <charconv>
#include <cstdlib>

#include "rounding.h"

namespace {
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string SignPositionText(std::int16_t number) {
    const int value = number;
    std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "-" : " ") + digits;
}

namespace {
// A number text split up: its sign, its decimal digits and where the point
// falls among them (after the exponent is applied).
struct Decimal {
    bool negative = false;
    std::string digits;
    long long point = 0;
};

// The grammar both readers share; nothing when the text is not a number.
std::optional<Decimal> ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t end = text.size();
    while (end > i && IsBlank(text[end - 1])) --end;

    Decimal d;
    if (i < end && (text[i] == '+' || text[i] == '-')) d.negative = text[i++] == '-';

    // The mantissa: digits before and after an optional point.
    std::string_view whole, fraction;
    std::size_t start = i;
    while (i < end && IsDigit(text[i])) ++i;
    whole = text.substr(start, i - start);
    if (i < end && text[i] == '.') {
        start = ++i;
        while (i < end && IsDigit(text[i])) ++i;
        fraction = text.substr(start, i - start);
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;

    // The exponent, saturated far beyond any value that could still fit.
    long long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) exponentNegative = text[i++] == '-';
        if (i == end || !IsDigit(text[i])) return std::nullopt;
        for (; i < end && IsDigit(text[i]); ++i)
            if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
        if (exponentNegative) exponent = -exponent;
    }
    if (i != end) return std::nullopt;
    d.point = static_cast<long long>(whole.size()) + exponent;
    d.digits = std::string(whole) + std::string(fraction);
    return d;
}

enum class Rounding { Floor, HalfEven };

// Exact decimal arithmetic: the integer part is the first `point` digits
// (zeros beyond them), the rest decides the rounding. Nothing when the
// result does not fit in 16 bits.
std::optional<std::int16_t> Round16(const Decimal& d, Rounding rounding) {
    long long integer = 0;
    int firstFraction = 0;  // the digit right after the point
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
                                  : firstFraction == 5                                       ? FractionPart::Half
                                                                                              : FractionPart::BelowHalf;
        if (HalfEvenRoundsUp(part, integer % 2 == 1)) ++integer;  // the magnitude: halves go to even either way
    }
    const long long value = d.negative ? -integer : integer;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}
}  // namespace

std::optional<std::int16_t> ReadSettingNumber(std::string_view text) {
    const auto decimal = ParseDecimal(text);
    if (!decimal) return std::nullopt;
    return Round16(*decimal, Rounding::Floor);
}

RoundedText ReadRoundedNumber(std::string_view text) {
    const auto decimal = ParseDecimal(text);
    if (!decimal) return {RoundedText::Kind::NotANumber, 0};
    const auto value = Round16(*decimal, Rounding::HalfEven);
    if (!value) return {RoundedText::Kind::OutOfRange, 0};
    return {RoundedText::Kind::Number, *value};
}

std::int32_t LenientInt32(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        bool expDigits = false;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && exponent.size() < 8) {
            exponent += text[j++];
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    // Infinity (an overflow) is out of range too.
    return RoundToInt32(std::strtod(number.c_str(), nullptr)).value_or(0);
}

std::optional<double> ReadReplyNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}
