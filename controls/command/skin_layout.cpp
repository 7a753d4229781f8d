#include "skin_layout.h"

#include <algorithm>

#include "twips.h"

namespace command {

namespace {
constexpr double kBandTwips = 60;
constexpr int kCaptionHeightTwips = 195;

std::int32_t Px(double twips, float twipsPerPixel) {
    return TwipsToPixels(RoundToInt32(twips).value_or(0), twipsPerPixel);
}
}  // namespace

std::array<SkinPiece, 8> SkinPieces(std::int32_t clientWidth, std::int32_t clientHeight, float twipsPerPixelX,
                                    float twipsPerPixelY) {
    const double w = PixelsToTwips(clientWidth, twipsPerPixelX), h = PixelsToTwips(clientHeight, twipsPerPixelY);
    const double edgeW = std::max(0.0, w - 2 * kBandTwips), edgeH = std::max(0.0, h - 2 * kBandTwips);
    struct Twips {
        double dx, dy, dw, dh, sx, sy, sw, sh;
    };
    // The 1-twip offsets land on pixel 0 at 15 twips per pixel.
    const Twips pieces[] = {
        {1, 1, 60, 60, 0, 0, 60, 60},                // top-left corner
        {60, 1, edgeW, 60, 60, 1, 840, 60},          // top edge
        {w - 60, 1, 60, 60, 900, 1, 60, 60},         // top-right corner
        {w - 60, 60, 60, edgeH, 900, 60, 60, 255},   // right edge
        {w - 60, h - 60, 60, 60, 900, 315, 60, 60},  // bottom-right corner
        {60, h - 60, edgeW, 60, 60, 315, 840, 60},   // bottom edge
        {1, h - 60, 60, 60, 0, 315, 60, 60},         // bottom-left corner
        {1, 60, 60, edgeH, 1, 60, 60, 255},          // left edge
    };
    constexpr float skin = kTwipsPerPicturePixel;
    std::array<SkinPiece, 8> out = {};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Twips& p = pieces[i];
        out[i] = {
            Px(p.dx, twipsPerPixelX), Px(p.dy, twipsPerPixelY), Px(p.dw, twipsPerPixelX), Px(p.dh, twipsPerPixelY),
            Px(p.sx, skin),           Px(p.sy, skin),           Px(p.sw, skin),           Px(p.sh, skin)};
    }
    return out;
}

CaptionLine CaptionPlace(std::int32_t clientHeight, float twipsPerPixelY) {
    const double h = PixelsToTwips(clientHeight, twipsPerPixelY);
    return {Px((h - kCaptionHeightTwips - 20) / 2, twipsPerPixelY), TwipsToPixels(kCaptionHeightTwips, twipsPerPixelY)};
}

}  // namespace command
