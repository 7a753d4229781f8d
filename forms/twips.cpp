#include "twips.h"

#include <cmath>

namespace {
bool UsableFactor(float twipsPerPixel) { return std::isfinite(twipsPerPixel) && twipsPerPixel > 0.0f; }
}  // namespace

float TwipsPerPixel(int dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    return static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

std::int32_t PixelsToTwips(std::int32_t pixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return RoundHalfEven(static_cast<double>(pixels) * static_cast<double>(twipsPerPixel));
}

std::int32_t TwipsToPixels(std::int32_t twips, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return RoundHalfEven(static_cast<double>(twips) / static_cast<double>(twipsPerPixel));
}

std::int32_t PictureToDevicePixels(std::int32_t picturePixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return 0;
    return RoundHalfEven(static_cast<double>(picturePixels) * kTwipsPerPicturePixel /
                         static_cast<double>(twipsPerPixel));
}

std::optional<std::int16_t> PixelsToTwips16(std::int32_t pixels, float twipsPerPixel) {
    if (!UsableFactor(twipsPerPixel)) return std::nullopt;
    return RoundToInt16(static_cast<double>(pixels) * static_cast<double>(twipsPerPixel));
}
