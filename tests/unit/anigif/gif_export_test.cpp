#include <gtest/gtest.h>
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <random>

#include "gif_export.h"

namespace {
struct Strip {
    std::int32_t width, rows;
    std::vector<std::uint8_t> bits;
    std::array<std::uint32_t, 256> palette{};
    Strip(std::int32_t w, std::int32_t h, int flat = -1) : width(w), rows(h), bits(StripRowBytes(w) * h) {
        std::mt19937 random(w * 31 + h);
        for (auto& b : bits) b = static_cast<std::uint8_t>(flat >= 0 ? flat : random());
        for (std::uint32_t i = 0; i < 256; ++i) palette[i] = random() & 0xFFFFFF;
    }
    ExportSource Frame(std::int32_t x, std::int32_t w, std::int32_t h) const {
        return {bits.data(), width, rows, x, w, h, palette.data()};
    }
    // The frame's indices, top row first.
    std::vector<std::uint8_t> Indices(const ExportSource& s) const {
        std::vector<std::uint8_t> out;
        for (std::int32_t y = 0; y < s.frameHeight; ++y) {
            const auto* row = bits.data() + (rows - 1 - y) * StripRowBytes(width) + s.stripX;
            out.insert(out.end(), row, row + s.frameWidth);
        }
        return out;
    }
};

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> indices, colours;
};

Decoded Slurp(const std::vector<std::uint8_t>& file) {
    struct Reader { const std::vector<std::uint8_t>* bytes; std::size_t pos; } reader{&file, 0};
    auto read = [](GifFileType* gif, GifByteType* to, int n) {
        auto* r = static_cast<Reader*>(gif->UserData);
        const std::size_t got = std::min<std::size_t>(n, r->bytes->size() - r->pos);
        std::memcpy(to, r->bytes->data() + r->pos, got);
        r->pos += got;
        return static_cast<int>(got);
    };
    int error = 0;
    Decoded d;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    if (!gif) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap) {
        const SavedImage& image = gif->SavedImages[0];
        d.ok = true;
        d.width = image.ImageDesc.Width;
        d.height = image.ImageDesc.Height;
        d.indices.assign(image.RasterBits, image.RasterBits + d.width * d.height);
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            d.colours.insert(d.colours.end(), {c.Red, c.Green, c.Blue});
        }
    }
    DGifCloseFile(gif, &error);
    return d;
}

// The compressed data behind the header, with the sub-block chain checked:
// full blocks of 254, one shorter last block, then terminator and trailer.
std::vector<std::uint8_t> Data(const std::vector<std::uint8_t>& gif, std::size_t at) {
    std::vector<std::uint8_t> data;
    while (at < gif.size() && gif[at] == 254) {
        data.insert(data.end(), gif.begin() + at + 1, gif.begin() + at + 255);
        at += 255;
    }
    EXPECT_LT(at + 2, gif.size());
    const std::size_t last = gif[at];
    data.insert(data.end(), gif.begin() + at + 1, gif.begin() + at + 1 + last);
    EXPECT_EQ(gif.size(), at + last + 3);
    EXPECT_EQ(gif[gif.size() - 2], 0x00);
    EXPECT_EQ(gif.back(), 0x3B);
    return data;
}

// Reads the codes as a decoder does and notes the width of every clear code.
struct CodeTrace {
    std::vector<int> clearWidths;
    std::int64_t pixels = 0;
    bool endedAtLastByte = false;
};
CodeTrace TraceCodes(const std::vector<std::uint8_t>& data) {
    CodeTrace t;
    std::vector<std::int64_t> length(4096, 1);
    std::size_t bit = 0;
    int width = 9, previous = -1;
    std::uint32_t next = 258;
    while (bit + width <= data.size() * 8) {
        std::uint32_t code = 0;
        for (int k = 0; k < width; ++k, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1u) << k;
        if (code == 256) {
            t.clearWidths.push_back(width);
            width = 9, next = 258, previous = -1;
            continue;
        }
        if (code == 257) {
            t.endedAtLastByte = (bit + 7) / 8 == data.size();
            break;
        }
        if (previous >= 0 && next < 4096) {
            length[next] = length[previous] + 1;
            if (++next == (1u << width) && width < 12) ++width;
        }
        if (code >= next) break;
        t.pixels += length[code];
        previous = static_cast<int>(code);
    }
    return t;
}

constexpr std::size_t kDescriptorAt = 13 + 768;
}  // namespace

TEST(BuildFrameGif, RoundTripsThroughAnotherDecoder) {
    struct Case { const char* name; std::int32_t stripWidth, stripRows, x, w, h; int flat; };
    const Case cases[] = {
        {"one colour", 64, 64, 0, 64, 64, 7},
        {"noise", 100, 100, 0, 100, 100, -1},
        {"1x1", 1, 1, 0, 1, 1, -1},
        {"1xN", 1, 300, 0, 1, 300, -1},
        {"Nx1", 300, 1, 0, 300, 1, -1},
        {"640x480", 640, 480, 0, 640, 480, -1},
        // top 10, height 20 in a 50-high animation: the frame's rows are the strip's top 20
        {"inside a larger strip", 101, 50, 13, 37, 20, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Strip strip(c.stripWidth, c.stripRows, c.flat);
        const ExportSource source = strip.Frame(c.x, c.w, c.h);
        const auto gif = BuildFrameGif(source);
        ASSERT_GT(gif.size(), kDescriptorAt + 12);
        EXPECT_EQ(0, std::memcmp(gif.data(), "GIF89a", 6));
        EXPECT_EQ(gif[kDescriptorAt], 0x2C) << "no control extension without transparency";
        EXPECT_EQ(gif[kDescriptorAt + 10], 8);
        Data(gif, kDescriptorAt + 11);
        const Decoded d = Slurp(gif);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, c.w);
        EXPECT_EQ(d.height, c.h);
        EXPECT_TRUE(d.indices == strip.Indices(source));
        std::vector<std::uint8_t> table;
        for (std::uint32_t p : strip.palette) table.insert(table.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
        EXPECT_EQ(d.colours, table) << "the frame's palette is the global table";
    }
}

TEST(BuildFrameGif, NoiseRunsOutOfCodesAndClearsAtTwelveBits) {
    const Strip strip(100, 100);
    const auto gif = BuildFrameGif(strip.Frame(0, 100, 100));
    const CodeTrace trace = TraceCodes(Data(gif, kDescriptorAt + 11));
    ASSERT_GE(trace.clearWidths.size(), 2u);
    EXPECT_EQ(trace.clearWidths[0], 9);
    for (std::size_t i = 1; i < trace.clearWidths.size(); ++i) EXPECT_EQ(trace.clearWidths[i], 12);
    EXPECT_EQ(trace.pixels, 100 * 100) << "codes after each clear restart at 9 bits from code 258";
    EXPECT_TRUE(trace.endedAtLastByte);
}

TEST(BuildFrameGif, TransparentRunIsPinnedByteForByte) {
    // Six pixels of index 5. Codes, 9 bits each: clear 256, 5, then "5 5" is
    // new code 258; "5 5 5" (key 258) is not found: emit 258, add 259 = "5 5 5";
    // the last three pixels match 259 -> emit 259, end 257.
    // 256 | 5<<9 | 258<<18 | 259<<27 | 257<<36 = 0x10181C080B00, low byte first.
    Strip strip(6, 1, 5);
    ExportSource source = strip.Frame(0, 6, 1);
    source.hasTransparency = true;
    source.transparentIndex = 5;
    const auto gif = BuildFrameGif(source);
    const std::vector<std::uint8_t> tail = {
        0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x05, 0x00,  // control extension
        0x2C, 0, 0, 0, 0, 6, 0, 1, 0, 0x00, 0x08,        // descriptor, code size
        0x06, 0x00, 0x0B, 0x08, 0x1C, 0x18, 0x10,        // one sub-block
        0x00, 0x3B};
    ASSERT_EQ(gif.size(), kDescriptorAt + tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), gif.begin() + kDescriptorAt));
    EXPECT_EQ(0, std::memcmp(gif.data(), "GIF89a\x06\x00\x01\x00\x87\x00\x00", 13));
    // The data fills a buffer of w x h + 801 bytes to its last byte; terminator
    // and trailer still follow.
    EXPECT_EQ(gif.size(), 6u + 801 + 2);
}

TEST(BuildFrameGif, SourcesOutsideTheStripOrWithoutPixelsGiveNoPicture) {
    const Strip strip(8, 4);
    auto with = [&](auto change) {
        ExportSource s = strip.Frame(2, 4, 4);
        change(s);
        return BuildFrameGif(s);
    };
    EXPECT_FALSE(with([](ExportSource&) {}).empty());
    const std::vector<void (*)(ExportSource&)> bad = {
        [](ExportSource& s) { s.frameWidth = 0; },          [](ExportSource& s) { s.frameHeight = 0; },
        [](ExportSource& s) { s.frameWidth = -4; },         [](ExportSource& s) { s.stripX = -1; },
        [](ExportSource& s) { s.stripX = 5; },              [](ExportSource& s) { s.stripRows = 3; },
        [](ExportSource& s) { s.stripWidth = 0; },          [](ExportSource& s) { s.stripBits = nullptr; },
        [](ExportSource& s) { s.palette = nullptr; },       [](ExportSource& s) { s.stripX = INT_MAX; },
        [](ExportSource& s) { s.frameWidth = 65536, s.stripWidth = INT_MAX; },
        [](ExportSource& s) { s.frameHeight = INT_MAX, s.stripRows = INT_MAX; },
    };
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_TRUE(with(bad[i]).empty()) << "case " << i;
}
