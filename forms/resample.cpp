#include "resample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace {
struct Tap {
    int index;
    float weight;
};

// For each output position, the source positions it reads and their weights
// (summing to 1). Positions beyond the edge read the edge pixel.
std::vector<std::vector<Tap>> Taps(int sourceLength, int length) {
    const double scale = static_cast<double>(sourceLength) / length;
    const double support = std::max(1.0, scale);
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int first = static_cast<int>(std::floor(centre - support)) + 1;
        const int last = static_cast<int>(std::ceil(centre + support)) - 1;
        double total = 0;
        auto& row = taps[static_cast<std::size_t>(i)];
        for (int s = first; s <= last; ++s) {
            const double weight = 1.0 - std::abs(s - centre) / support;
            if (weight <= 0) continue;
            row.push_back({std::clamp(s, 0, sourceLength - 1), static_cast<float>(weight)});
            total += weight;
        }
        for (Tap& tap : row) tap.weight = static_cast<float>(tap.weight / total);
    }
    return taps;
}

using Channels = std::array<float, 4>;
}  // namespace

std::vector<std::uint32_t> ResamplePremultiplied(std::span<const std::uint32_t> source, int sourceWidth,
                                                 int sourceHeight, int width, int height) {
    const auto usable = [](int side) { return side > 0 && side <= kResampleMaxSide; };
    if (!usable(sourceWidth) || !usable(sourceHeight) || !usable(width) || !usable(height) ||
        source.size() < static_cast<std::size_t>(sourceWidth) * static_cast<std::size_t>(sourceHeight))
        return {};
    const auto across = Taps(sourceWidth, width), down = Taps(sourceHeight, height);
    const auto w = static_cast<std::size_t>(width);

    // Rows first: sourceHeight rows of width pixels, in floating point.
    std::vector<Channels> rows(w * static_cast<std::size_t>(sourceHeight));
    for (int y = 0; y < sourceHeight; ++y) {
        const std::uint32_t* in = source.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(sourceWidth);
        for (std::size_t x = 0; x < w; ++x) {
            Channels sum = {};
            for (const Tap& tap : across[x])
                for (int c = 0; c < 4; ++c)
                    sum[c] += tap.weight * static_cast<float>((in[tap.index] >> (8 * c)) & 0xFF);
            rows[static_cast<std::size_t>(y) * w + x] = sum;
        }
    }
    std::vector<std::uint32_t> out(w * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            Channels sum = {};
            for (const Tap& tap : down[static_cast<std::size_t>(y)])
                for (int c = 0; c < 4; ++c) sum[c] += tap.weight * rows[static_cast<std::size_t>(tap.index) * w + x][c];
            // A mean of premultiplied pixels is premultiplied: no channel
            // exceeds alpha, short of rounding, which the clamp takes back.
            const auto alpha = static_cast<std::uint32_t>(std::clamp(std::lround(sum[3]), 0L, 255L));
            std::uint32_t pixel = alpha << 24;
            for (int c = 0; c < 3; ++c)
                pixel |= static_cast<std::uint32_t>(std::clamp(std::lround(sum[c]), 0L, static_cast<long>(alpha)))
                         << (8 * c);
            out[static_cast<std::size_t>(y) * w + x] = pixel;
        }
    }
    return out;
}
