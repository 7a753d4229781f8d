#include <gtest/gtest.h>
#include <gif_lib.h>

#include <array>
#include <climits>
#include <cstring>
#include <random>
#include <span>

#include "gif_export.h"

namespace {
constexpr std::size_t kDataAt = 13 + 768 + 11;  // without a control extension

// A strip of noise (or of one index) and a random palette.
struct Strip {
    std::int32_t width, rows;
    std::vector<std::uint8_t> bits;
    std::array<std::uint32_t, 256> palette{};
    Strip(std::int32_t w, std::int32_t h, int flat = -1) : width(w), rows(h), bits(StripRowBytes(w) * h) {
        std::mt19937 random(w * 31 + h);
        for (auto& b : bits) b = static_cast<std::uint8_t>(flat >= 0 ? flat : random());
        for (auto& p : palette) p = random() & 0xFFFFFF;
    }
    ExportSource Frame(std::int32_t x, std::int32_t w, std::int32_t h) const {
        return {bits.data(), width, rows, x, w, h, palette.data()};
    }
};

// giflib's reading of the file: the indices of its one w x h image.
std::vector<std::uint8_t> Slurp(const std::vector<std::uint8_t>& file, int w, int h) {
    auto read = [](GifFileType* gif, GifByteType* to, int n) {
        auto& rest = *static_cast<std::span<const std::uint8_t>*>(gif->UserData);
        n = std::min<int>(n, static_cast<int>(rest.size()));
        std::copy_n(rest.begin(), n, to);
        rest = rest.subspan(n);
        return n;
    };
    std::span<const std::uint8_t> rest(file);
    int error = 0;
    std::vector<std::uint8_t> indices;
    GifFileType* gif = DGifOpen(&rest, read, &error);
    if (gif && DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SWidth == w && gif->SHeight == h)
        indices.assign(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + w * h);
    DGifCloseFile(gif, &error);
    return indices;
}

// The compressed data, with the chain checked: sub-blocks of 254 bytes, one
// shorter last one, the terminator and the trailer.
std::vector<std::uint8_t> Data(const std::vector<std::uint8_t>& gif, std::size_t at) {
    std::vector<std::uint8_t> data;
    for (; at + 2 < gif.size() && gif[at] == 254; at += 255) data.insert(data.end(), &gif[at + 1], &gif[at + 255]);
    const std::size_t last = at < gif.size() ? gif[at] : 0;
    EXPECT_EQ(gif.size(), at + last + 3);
    if (gif.size() != at + last + 3) return {};
    data.insert(data.end(), &gif[at + 1], &gif[at + 1 + last]);
    EXPECT_EQ(gif[gif.size() - 2], 0x00);
    EXPECT_EQ(gif.back(), 0x3B);
    return data;
}

// Reads the codes as a decoder does (widening when its next code reaches
// 2^width) and gives the width of each clear code; -1 is appended when the end
// code closes the data in its last byte.
std::vector<int> ClearWidths(const std::vector<std::uint8_t>& data) {
    std::vector<int> widths;
    std::size_t bit = 0;
    int width = 9;
    std::uint32_t next = 0;  // 0 right after a clear: that code adds no string
    while (bit + width <= data.size() * 8) {
        std::uint32_t code = 0;
        for (int k = 0; k < width; ++k, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1u) << k;
        if (code == 256) {
            widths.push_back(width);
            width = 9, next = 0;
        } else if (code == 257) {
            if ((bit + 7) / 8 == data.size()) widths.push_back(-1);
            break;
        } else if (next == 0) {
            next = 258;
        } else if (next < 4096 && ++next == (1u << width) && width < 12) {
            ++width;
        }
    }
    return widths;
}
}  // namespace

TEST(BuildFrameGif, RoundTripsThroughAnotherDecoder) {
    struct Case {
        const char* name;
        std::int32_t stripWidth, stripRows, x, w, h;
        int flat;
    };
    const Case cases[] = {
        {"one colour", 64, 64, 0, 64, 64, 7},
        {"noise", 100, 100, 0, 100, 100, -1},
        {"1x1", 1, 1, 0, 1, 1, -1},
        {"1xN", 1, 300, 0, 1, 300, -1},
        {"Nx1", 300, 1, 0, 300, 1, -1},
        {"640x480", 640, 480, 0, 640, 480, -1},
        // top 10, height 20 in a 50-high animation: the frame is the strip's top 20 rows
        {"inside a larger strip", 101, 50, 13, 37, 20, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Strip strip(c.stripWidth, c.stripRows, c.flat);
        const auto gif = BuildFrameGif(strip.Frame(c.x, c.w, c.h));
        ASSERT_GT(gif.size(), kDataAt);
        EXPECT_EQ(0, std::memcmp(gif.data(), "GIF89a", 6));
        EXPECT_EQ(gif[kDataAt - 11], 0x2C) << "no control extension without transparency";
        EXPECT_FALSE(Data(gif, kDataAt).empty());

        std::vector<std::uint8_t> expected, table;
        for (std::int32_t y = 0; y < c.h; ++y) {  // bottom-up rows
            const auto* row = &strip.bits[(c.stripRows - 1 - y) * StripRowBytes(c.stripWidth) + c.x];
            expected.insert(expected.end(), row, row + c.w);
        }
        EXPECT_TRUE(Slurp(gif, c.w, c.h) == expected);
        for (std::uint32_t p : strip.palette)
            table.insert(table.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
        EXPECT_TRUE(std::equal(table.begin(), table.end(), gif.begin() + 13)) << "the palette is the global table";
    }
}

TEST(BuildFrameGif, NoiseRunsOutOfCodesClearsAtTwelveBitsAndRestartsAtNine) {
    const Strip strip(100, 100);
    const std::vector<int> widths = ClearWidths(Data(BuildFrameGif(strip.Frame(0, 100, 100)), kDataAt));
    // The first clear opens the data; the end code is only found where it
    // belongs if every restart went back to 9 bits and code 258.
    ASSERT_GE(widths.size(), 3u);
    EXPECT_EQ(widths.front(), 9);
    EXPECT_EQ(widths.back(), -1);
    for (std::size_t i = 1; i + 1 < widths.size(); ++i) EXPECT_EQ(widths[i], 12);
}

TEST(BuildFrameGif, TransparentRunIsPinnedByteForByte) {
    // Six pixels of index 5. Codes, 9 bits each: clear 256; "5 5" is new: emit
    // 5, add 258; "5 5 5" (key 5 x 4096 + 258) is new: emit 258, add 259; the
    // last three pixels are 259: emit 259, then end 257.
    // 256 | 5<<9 | 258<<18 | 259<<27 | 257<<36 = 0x10181C080B00, low byte first.
    Strip strip(6, 1, 5);
    ExportSource source = strip.Frame(0, 6, 1);
    source.hasTransparency = true;
    source.transparentIndex = 5;
    const auto gif = BuildFrameGif(source);
    const std::vector<std::uint8_t> tail = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x05, 0x00,  // control extension
                                            0x2C, 0,    0,    0,    0,    6,    0,    1,
                                            0,    0x00, 0x08,                          // descriptor, code size
                                            0x06, 0x00, 0x0B, 0x08, 0x1C, 0x18, 0x10,  // one sub-block
                                            0x00, 0x3B};
    ASSERT_EQ(gif.size(), 13 + 768 + tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), gif.begin() + 13 + 768));
    EXPECT_EQ(0, std::memcmp(gif.data(), "GIF89a\x06\x00\x01\x00\x87\x00\x00", 13));
    // The sub-block fills a buffer of w x h + 801 bytes to its last byte; the
    // terminator and trailer still follow.
    EXPECT_EQ(gif.size(), 6u + 801 + 2);
}

TEST(BuildFrameGif, SourcesOutsideTheStripOrWithoutPixelsGiveNoPicture) {
    const Strip strip(8, 4);
    using Change = void (*)(ExportSource&);
    const Change changes[] = {
        [](ExportSource&) {},  // the sound source, for contrast
        [](ExportSource& s) { s.frameWidth = 0; },
        [](ExportSource& s) { s.frameHeight = 0; },
        [](ExportSource& s) { s.frameWidth = -4; },
        [](ExportSource& s) { s.stripX = -1; },
        [](ExportSource& s) { s.stripX = 5; },
        [](ExportSource& s) { s.stripRows = 3; },
        [](ExportSource& s) { s.stripWidth = 0; },
        [](ExportSource& s) { s.stripBits = nullptr; },
        [](ExportSource& s) { s.palette = nullptr; },
        [](ExportSource& s) { s.stripX = INT_MAX; },
        [](ExportSource& s) { s.frameWidth = 65536, s.stripWidth = INT_MAX; },
        [](ExportSource& s) { s.frameHeight = INT_MAX, s.stripRows = INT_MAX; },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        ExportSource s = strip.Frame(2, 4, 4);
        changes[i](s);
        EXPECT_EQ(BuildFrameGif(s).empty(), i > 0) << "change " << i;
    }
}
