#include "rounding.h"

#include <cmath>
#include <limits>

namespace {
// Rounds to the nearest integer, halves to even, whatever the FPU's rounding
// mode. x - floor(x) is exact for every double, so the half test is exact.
double RoundHalfEven(double value) {
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return whole;
}

template <class Int>
std::optional<Int> RoundTo(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double rounded = RoundHalfEven(value);
    // Both limits are exactly representable as doubles.
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}
}  // namespace

std::optional<std::int32_t> RoundToInt32(double value) { return RoundTo<std::int32_t>(value); }
std::optional<std::int16_t> RoundToInt16(double value) { return RoundTo<std::int16_t>(value); }
