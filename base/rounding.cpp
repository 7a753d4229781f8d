#include "rounding.h"

#include <cmath>
#include <limits>

namespace {
// x - floor(x) is exact for every double, so the half test is exact.
double NearestHalfEven(double value) {
    double whole = std::floor(value);
    const double fraction = value - whole;
    const FractionPart part = fraction > 0.5    ? FractionPart::AboveHalf
                              : fraction == 0.5 ? FractionPart::Half
                                                : FractionPart::BelowHalf;
    if (HalfEvenRoundsUp(part, std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return whole;
}

template <class Int>
std::optional<Int> RoundTo(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double rounded = NearestHalfEven(value);
    // Both limits are exactly representable as doubles.
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}
}  // namespace

std::optional<std::int32_t> RoundToInt32(double value) { return RoundTo<std::int32_t>(value); }
std::optional<std::int16_t> RoundToInt16(double value) { return RoundTo<std::int16_t>(value); }

std::int32_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    if (const auto rounded = RoundToInt32(value)) return *rounded;
    return value < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}
