// A small GIF writer for the tests, with its own LZW encoder, that can also
// make the streams no tool writes: no clear code, a deferred clear, codes
// beyond the table, any minimum code size, data cut short.
#pragma once
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct LzwOptions {
    int minimumCodeSize = 8;
    bool startWithClear = true;
    bool clearWhenFull = true;  // false: the table stays full, codes stay 12 bits (deferred clear)
    bool endCode = true;
    std::size_t encodePixels = SIZE_MAX;  // encode only this many pixels, then
    std::vector<unsigned> extraCodes;     // these raw codes at the width reached
};

struct TestImage {
    int left = 0, top = 0, width = 0, height = 0;
    Bytes pixels;                        // rows from the top
    std::vector<std::uint32_t> palette;  // local table, 0xRRGGBB; empty: none
    bool interlaced = false;
    bool control = false;  // write a Graphic Control Extension:
    int disposal = 0, delay = 0, transparent = -1;
    LzwOptions lzw;
};

struct TestGif {
    int width = 0, height = 0;           // logical screen
    std::vector<std::uint32_t> palette;  // global table; empty: none
    int loops = -1;                      // NETSCAPE2.0 count; -1: no extension
    std::vector<TestImage> images;
};

Bytes WriteGif(const TestGif& gif);

// An image of one palette's indices filled by f(x, y).
template <class F>
TestImage MakeImage(int left, int top, int width, int height, F f) {
    TestImage image;
    image.left = left, image.top = top, image.width = width, image.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.pixels.push_back(static_cast<std::uint8_t>(f(x, y)));
    return image;
}

// A table of n entries with distinct colours.
std::vector<std::uint32_t> TestPalette(int n, std::uint32_t seed = 0);
