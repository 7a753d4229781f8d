#include "number_text.h"

namespace {
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string SignPositionText(std::int16_t number) {
    const int value = number;
    std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "-" : " ") + digits;
}

std::optional<std::int16_t> ReadSettingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t end = text.size();
    while (end > i && IsBlank(text[end - 1])) --end;

    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

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

    // Exact decimal arithmetic: the integer part is the first `point` digits
    // of whole+fraction (zeros beyond them), the rest decides the rounding.
    const long long point = static_cast<long long>(whole.size()) + exponent;
    const std::string digits = std::string(whole) + std::string(fraction);
    long long integer = 0;
    bool restNonZero = false;
    for (long long k = 0; k < static_cast<long long>(digits.size()); ++k) {
        const int digit = digits[static_cast<std::size_t>(k)] - '0';
        if (k < point) {
            integer = integer * 10 + digit;
            if (integer > 32768) return std::nullopt;
        } else if (digit != 0) {
            restNonZero = true;
        }
    }
    for (long long k = static_cast<long long>(digits.size()); integer != 0 && k < point; ++k) {
        integer *= 10;
        if (integer > 32768) return std::nullopt;
    }
    if (negative && restNonZero) ++integer;  // towards minus infinity
    const long long value = negative ? -integer : integer;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}
