// Smooth resizing of a picture with transparency, for drawing art made at 96
// dpi on a larger (or smaller) screen. Pixels are 32-bit B, G, R, A with the
// colour premultiplied by alpha (as GDI's AlphaBlend takes them), rows top
// down. Premultiplied colour keeps the transparent parts from bleeding dark
// fringes into the edges they are averaged with.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

// Longest side either picture may have; beyond it the result is empty.
constexpr int kResampleMaxSide = 2048;

// The picture at width x height: each output pixel is the tent-weighted mean
// of the source pixels around its centre, bilinear when enlarging and spread
// over every source pixel it covers when shrinking. Empty when a size is not
// positive or exceeds kResampleMaxSide, or the source holds fewer than
// sourceWidth x sourceHeight pixels.
std::vector<std::uint32_t> ResamplePremultiplied(std::span<const std::uint32_t> source, int sourceWidth,
                                                 int sourceHeight, int width, int height);
