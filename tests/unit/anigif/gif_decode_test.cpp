// Frame building judged against giflib (the referee) and against the pixels
// the test wrote, over a generated corpus and over streams that break rules.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "anigif_test_support.h"
#include "giflib_memory.h"

namespace {
// Every image as giflib decodes it (de-interlaced), or nothing on an error.
std::vector<Bytes> Giflib(const Bytes& file) {
    std::pair<const Bytes*, std::size_t> cursor{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, GiflibReadMemory, &error);
    std::vector<Bytes> frames;
    const bool slurped = gif && DGifSlurp(gif) == GIF_OK;
    for (int i = 0; slurped && i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        frames.emplace_back(image.RasterBits, image.RasterBits + image.ImageDesc.Width * image.ImageDesc.Height);
    }
    if (gif) DGifCloseFile(gif, &error);
    return frames;
}

// Photo-like (smooth with noise), noise, or flat content below `colours`.
TestImage Content(int kind, int width, int height, int colours, std::uint32_t seed) {
    std::mt19937 random(seed);
    return MakeImage(0, 0, width, height, [&](int x, int y) {
        const int noise = static_cast<int>(random() % 5);
        if (kind == 0) return (x / 3 + y / 2 + noise) % colours;
        if (kind == 1) return static_cast<int>(random() % static_cast<unsigned>(colours));
        return colours - 1;
    });
}

}  // namespace

TEST(GifFrameBuilding, CorpusDecodesLikeGiflib) {
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {17, 5}, {64, 9}, {131, 47}, {200, 130}};
    int n = 0;
    for (auto [width, height] : sizes)
        for (int codeSize : {2, 3, 5, 8})
            for (int kind = 0; kind < 3; ++kind, ++n) {
                const int colours = 1 << codeSize;
                TestGif gif{width, height, TestPalette(colours), -1, {}};
                // Frame 1 on the global table, frame 2 with a local one,
                // another size, minimum code size and row order.
                gif.images.push_back(Content(kind, width, height, colours, static_cast<std::uint32_t>(n)));
                gif.images.back().interlaced = n % 2 == 0;
                gif.images.back().lzw.minimumCodeSize = codeSize;
                gif.images.push_back(
                    Content((kind + 1) % 3, width / 2 + 1, height, 64, static_cast<std::uint32_t>(~n)));
                gif.images.back().palette = TestPalette(64, 7);
                gif.images.back().interlaced = n % 2 == 1;
                gif.images.back().lzw.minimumCodeSize = 6;
                const std::string label = std::to_string(width) + "x" + std::to_string(height) + " code size " +
                                          std::to_string(codeSize) + " kind " + std::to_string(kind);
                // Ours equal giflib's, and giflib's equal what was written
                // (which keeps the test's own encoder honest too).
                Loaded loaded;
                ASSERT_EQ(loaded.Load(WriteGif(gif)), 2) << label;
                const std::vector<Bytes> referee = Giflib(WriteGif(gif));
                EXPECT_EQ((std::vector<Bytes>{loaded.Indices(1), loaded.Indices(2)}), referee) << label;
                EXPECT_EQ(referee, (std::vector<Bytes>{gif.images[0].pixels, gif.images[1].pixels})) << label;
            }
}

TEST(GifFrameBuilding, StreamsThatBreakTheRulesGiveADefinedResult) {
    const TestImage noise = Content(1, 100, 100, 256, 42);  // fills the table several times
    const Bytes& all = noise.pixels;
    Bytes half(all.begin(), all.begin() + 3000);
    half.resize(all.size(), 0);
    Bytes two = Content(1, 100, 100, 2, 5).pixels;
    struct Case {
        const char* name;
        LzwOptions lzw;
        Bytes pixels, expected;
        bool legal;  // a stream GIF89a allows: giflib must agree
    } cases[] = {
        {"no clear code first", {.startWithClear = false}, all, all, true},
        {"deferred clear: full table, no clear", {.clearWhenFull = false}, all, all, true},
        {"no end code", {.endCode = false}, all, all, true},
        {"minimum code size 1", {.minimumCodeSize = 1}, two, two, false},
        {"code beyond the table ends the image",
         {.encodePixels = 3000, .extraCodes = {4095, 65, 66}},
         all,
         half,
         false},
        {"the next code right after a clear ends the image",
         {.encodePixels = 3000, .extraCodes = {256, 258, 65}},
         all,
         half,
         false},
        {"end code mid-image", {.encodePixels = 3000, .extraCodes = {257, 65, 66}}, all, half, false},
        {"minimum code size 9 gives a blank frame",
         {.minimumCodeSize = 9},
         Bytes(all.size(), 0),
         Bytes(all.size(), 0),
         false},
    };
    for (const Case& c : cases) {
        TestGif gif{100, 100, TestPalette(256), -1, {MakeImage(0, 0, 100, 100, [&](int x, int y) {
                        return c.pixels[y * 100 + x];
                    })}};
        gif.images[0].lzw = c.lzw;
        Loaded loaded;
        ASSERT_EQ(loaded.Load(WriteGif(gif)), 1) << c.name;
        EXPECT_EQ(loaded.Indices(1), c.expected) << c.name;
        if (c.legal) {
            EXPECT_EQ(Giflib(WriteGif(gif)), std::vector<Bytes>{c.expected}) << c.name;
        }
    }
}

TEST(GifFrameBuilding, DataCutShortDecodesWhatExistsAndLeavesTheRestZero) {
    const TestGif gif{120, 50, TestPalette(256), -1, {Content(0, 120, 50, 200, 9)}};
    const Bytes whole = WriteGif(gif);
    const Bytes& source = gif.images[0].pixels;
    for (std::size_t cut = whole.size() - 1; cut > 13 + 768 + 12; cut -= 37) {
        Loaded loaded;
        ASSERT_EQ(loaded.Load(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut))), 1) << "cut at " << cut;
        const Bytes got = loaded.Indices(1);
        // The source up to some pixel, then nothing but 0.
        const auto first = std::mismatch(got.begin(), got.end(), source.begin()).first;
        EXPECT_TRUE(std::all_of(first, got.end(), [](std::uint8_t v) { return v == 0; })) << "cut at " << cut;
    }
}
