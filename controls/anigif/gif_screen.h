// What a paint looks like once blitted: for the tools and the tests, which
// have no GDI to carry out the raster operations of a GifPaint.
#pragma once
#include <cstdint>
#include <vector>

#include "gif_compose.h"

// A picture as it ends up on screen, top row first, 3 bytes per pixel
// (blue, green, red), no padding. For tools and tests.
struct GifScreen {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    void Fill(std::int32_t w, std::int32_t h, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
};
// Carries out an unscaled paint with the raster operations it stands for,
// clipped to the screen; false (and nothing drawn) for a scaled one.
bool BlitGifPaint(const GifPaint& paint, GifScreen& screen);
