#include "twips.h"

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

bool UsableFactor(float twipsPerPixel) { return std::isfinite(twipsPerPixel) && twipsPerPixel > 0.0f; }

std::int32_t ClampedToInt32(double value) {
    if (const auto rounded = RoundToInt32(value)) return *rounded;
    return value < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}
}  // namespace

float TwipsPerPixel(int dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    return static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

std::optional<std::int32_t> RoundToInt32(double value) { return RoundTo<std::int32_t>(value); }
std::optional<std::int16_t> RoundToInt16(double value) { return RoundTo<std::int16_t>(value); }

std::int32_t PixelsToTwips(std::int32_t pixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return ClampedToInt32(static_cast<double>(pixels) * static_cast<double>(twipsPerPixel));
}

std::int32_t TwipsToPixels(std::int32_t twips, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return ClampedToInt32(static_cast<double>(twips) / static_cast<double>(twipsPerPixel));
}

std::int32_t PictureToDevicePixels(std::int32_t picturePixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return ClampedToInt32(static_cast<double>(picturePixels) * kTwipsPerPicturePixel / static_cast<double>(twipsPerPixel));
}

std::optional<std::int16_t> PixelsToTwips16(std::int32_t pixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return std::nullopt;
    return RoundToInt16(static_cast<double>(pixels) * static_cast<double>(twipsPerPixel));
}
