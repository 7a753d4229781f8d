#include "gif_screen.h"

void GifScreen::Fill(std::int32_t w, std::int32_t h, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    width = w;
    height = h;
    pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = blue;
        pixels[i + 1] = green;
        pixels[i + 2] = red;
    }
}

bool BlitGifPaint(const GifPaint& paint, GifScreen& screen) {
    if (paint.scaled || paint.destWidth != paint.sourceWidth || paint.destHeight != paint.sourceHeight) return false;
    const std::int64_t colourStride = GifColourStride(paint.sourceWidth);
    const std::int64_t maskStride = GifMaskStride(paint.sourceWidth);
    for (std::int32_t y = 0; y < paint.sourceHeight; ++y) {
        const std::int64_t screenY = std::int64_t{paint.destY} + y;
        if (screenY < 0 || screenY >= screen.height) continue;
        const std::int64_t stored = paint.sourceHeight - 1 - y;
        const std::uint8_t* colour = paint.colour + stored * colourStride;
        const std::uint8_t* mask = paint.mask ? paint.mask + stored * maskStride : nullptr;
        for (std::int32_t x = 0; x < paint.sourceWidth; ++x) {
            const std::int64_t screenX = std::int64_t{paint.destX} + x;
            if (screenX < 0 || screenX >= screen.width) continue;
            std::uint8_t* out = screen.pixels.data() + (screenY * screen.width + screenX) * 3;
            const bool keep = mask && (mask[x >> 3] & (0x80 >> (x & 7)));  // SRCAND with white
            for (int c = 0; c < 3; ++c)
                out[c] = mask ? static_cast<std::uint8_t>((keep ? out[c] : 0) | colour[3 * x + c]) : colour[3 * x + c];
        }
    }
    return true;
}
