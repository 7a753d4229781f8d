// Composition, scaling and mirroring on hand-made animations. Pictures are
// rows of letters: '.' the control's background, a-h palette entries 0-7,
// '#' black, '?' anything else.
#include <gtest/gtest.h>

#include "anigif_test_support.h"
#include "gif_screen.h"

namespace {
const std::vector<std::uint32_t> kPalette = TestPalette(8, 0x111111);

// A frame whose pixels are digits (palette indices); disposal and transparent
// index go into a Graphic Control Extension when given.
TestImage Frame(int left, int top, int width, int height, const std::string& digits, int disposal = -1,
                int transparent = -1) {
    TestImage image = MakeImage(left, top, width, height, [&](int x, int y) { return digits[y * width + x] - '0'; });
    image.control = disposal >= 0 || transparent >= 0;
    image.disposal = std::max(disposal, 0);
    image.transparent = transparent;
    return image;
}

// The control after painting the current frame on its freshly erased
// background (0x123456).
std::string Picture(AniGifPlayer& player) {
    GifScreen screen;
    screen.Fill(player.ActualWidth(), player.ActualHeight(), 0x12, 0x34, 0x56);
    player.PaintCurrentFrame([&](const GifPaint& paint) { BlitGifPaint(paint, screen); });
    std::string out;
    for (std::size_t i = 0; i < screen.pixels.size(); i += 3) {
        if (i && i / 3 % static_cast<std::size_t>(screen.width) == 0) out += '|';
        const std::uint32_t rgb = screen.pixels[i + 2] << 16 | screen.pixels[i + 1] << 8 | screen.pixels[i];
        const auto entry = std::find(kPalette.begin(), kPalette.end(), rgb) - kPalette.begin();
        out += rgb == 0x123456 ? '.' : rgb == 0 ? '#' : entry < 8 ? static_cast<char>('a' + entry) : '?';
    }
    return out;
}

// The picture after each frame is painted, in order, then frame 1 again, and
// the mode.
std::vector<std::string> Pictures(int width, int height, std::vector<TestImage> frames) {
    Loaded loaded;
    loaded.player.SetStretch(GifStretch::Clip);
    const auto count = static_cast<std::int32_t>(frames.size());
    EXPECT_EQ(loaded.Load(WriteGif({width, height, kPalette, -1, std::move(frames)})), count);
    std::vector<std::string> out;
    for (std::int32_t k = 0; k <= loaded.player.FrameCount(); ++k) {
        if (k > 0) loaded.player.ApplyAction(GifAction::Step);
        out.push_back(Picture(loaded.player));
    }
    const GifComposeMode mode = loaded.player.ComposeMode();
    out.push_back(mode == GifComposeMode::Direct ? "direct" : mode == GifComposeMode::Canvas ? "canvas" : "mask");
    return out;
}
using Strings = std::vector<std::string>;
}  // namespace

TEST(GifComposition, FollowsThePlayerRules) {
    // Offset frames over a full opaque frame 1: an opaque canvas.
    EXPECT_EQ(Pictures(4, 3, {Frame(0, 0, 4, 3, "000000000000", 1), Frame(1, 1, 2, 2, "1111"), Frame(3, 0, 1, 1, "2")}),
              (Strings{"aaaa|aaaa|aaaa", "aaaa|abba|abba", "aaac|abba|abba", "aaaa|aaaa|aaaa", "canvas"}));
    // Disposal 2 restores to transparent: the background shows, not black and
    // not the file's background colour.
    EXPECT_EQ(
        Pictures(4, 2, {Frame(0, 0, 4, 2, "00000000", 1), Frame(0, 0, 2, 2, "1771", 2, 7), Frame(2, 0, 1, 1, "2")}),
        (Strings{"aaaa|aaaa", "baaa|abaa", "..ca|..aa", "aaaa|aaaa", "mask"}));
    // Disposal 3 restores what was there, transparency included; frame 1's
    // transparent pixels show the background.
    EXPECT_EQ(Pictures(3, 2, {Frame(0, 0, 3, 2, "070000", 1, 7), Frame(0, 0, 2, 1, "11", 3), Frame(2, 1, 1, 1, "2")}),
              (Strings{"a.a|aaa", "bba|aaa", "a.a|aac", "a.a|aaa", "mask"}));
    // One frame: drawn alone; indices beyond the file's table are black.
    EXPECT_EQ(Pictures(4, 1, {Frame(0, 0, 4, 1, "0719", -1, 7)}), (Strings{"a.b#", "a.b#", "direct"}));
    // Every frame restores to the background: each is drawn alone.
    EXPECT_EQ(Pictures(3, 1, {Frame(0, 0, 1, 1, "0", 2), Frame(2, 0, 1, 1, "1", 2)}),
              (Strings{"a..", "..b", "a..", "direct"}));
    // A later frame with transparency and a frame 1 smaller than the picture:
    // a mask, so the uncovered part shows the background ...
    EXPECT_EQ(Pictures(3, 1, {Frame(0, 0, 1, 1, "0"), Frame(1, 0, 2, 1, "71", 1, 7)}),
              (Strings{"a..", "a.b", "a..", "mask"}));
    // ... but without transparency anywhere the canvas is opaque and black.
    EXPECT_EQ(Pictures(3, 1, {Frame(0, 0, 1, 1, "0"), Frame(1, 0, 2, 1, "21", 1)}),
              (Strings{"a##", "acb", "a##", "canvas"}));
}

TEST(GifComposition, DisposalThreeRestoresExactlyTheMaskBytesOfItsRectangle) {
    const std::string clear64(64, '7');
    // Left 4, width 32: its pixels reach into a fifth mask byte.
    Strings pictures = Pictures(
        64, 1,
        {Frame(0, 0, 64, 1, clear64, 1, 7), Frame(4, 0, 32, 1, std::string(32, '1'), 3), Frame(63, 0, 1, 1, "2")});
    EXPECT_EQ(pictures[1], std::string(4, '.') + std::string(32, 'b') + std::string(28, '.'));
    EXPECT_EQ(pictures[2], std::string(63, '.') + "c");
    // Left 63 on a 64-wide picture: the last byte of each row, and no further.
    pictures = Pictures(
        64, 2, {Frame(0, 0, 64, 2, clear64 + clear64, 1, 7), Frame(63, 0, 1, 2, "11", 3), Frame(0, 0, 1, 1, "2")});
    EXPECT_EQ(pictures[1], std::string(63, '.') + "b|" + std::string(63, '.') + "b");
    EXPECT_EQ(pictures[2], "c" + std::string(63, '.') + "|" + std::string(64, '.'));
}

TEST(GifComposition, ComputeScaleForEveryStretch) {
    struct Row {
        std::int32_t stretch, width, height, actualWidth, actualHeight;
        GifScale expected;
    } rows[] = {
        {0, 100, 30, 120, 50, {1, 1, 100, 30}},       {0, 300, 80, 120, 50, {1, 1, 120, 50}},
        {1, 240, 60, 120, 50, {1.2f, 1.2f, 144, 60}}, {1, 5, 100, 10, 5, {0.5f, 0.5f, 5, 2}},  // R(2.5) = 2
        {1, 5, 100, 10, 3, {0.5f, 0.5f, 5, 2}},                                                // R(1.5) = 2
        {2, 240, 25, 120, 50, {2, 0.5f, 240, 25}},    {3, 240, 100, 120, 50, {1, 1, 120, 50}},
        {3, 60, 50, 120, 50, {0.5f, 0.5f, 60, 25}},   {3, 240, 50, 120, 50, {1, 1, 120, 50}},
        {4, 7, 9, 120, 50, {1, 1, 120, 50}},
    };
    for (const Row& r : rows) {
        const GifScale s =
            ComputeGifScale(static_cast<GifStretch>(r.stretch), r.width, r.height, r.actualWidth, r.actualHeight);
        EXPECT_EQ(std::tuple(s.sx, s.sy, s.width, s.height),
                  std::tuple(r.expected.sx, r.expected.sy, r.expected.width, r.expected.height))
            << "Stretch " << r.stretch << " on " << r.width << "x" << r.height;
    }
}

TEST(GifComposition, MirroringFlipsFramesAndCanvasAndScalingMovesTheRectangle) {
    Loaded loaded;
    loaded.player.SetStretch(GifStretch::Clip);
    ASSERT_EQ(loaded.Load(WriteGif({3, 1, kPalette, -1, {Frame(0, 0, 3, 1, "012", 1), Frame(0, 0, 1, 1, "3")}})), 2);
    EXPECT_EQ(Picture(loaded.player), "abc");
    loaded.player.ApplyAction(GifAction::Step);
    EXPECT_EQ(Picture(loaded.player), "dbc");
    loaded.player.SetMirrored(1);  // frames and canvas; frame 2 moves to the right
    EXPECT_EQ(loaded.player.Frames()[1].frameLeft, 2);
    EXPECT_EQ(Picture(loaded.player), "cbd");
    loaded.player.ApplyAction(GifAction::Step);
    EXPECT_EQ(Picture(loaded.player), "cba");

    // One frame at (1, 1), 2 x 1, in a 3 x 2 picture, stretched onto 5 x 3.
    Loaded single;
    single.host.innerWidth = 5, single.host.innerHeight = 3;
    single.player.SetStretch(GifStretch::Fill);
    ASSERT_EQ(single.Load(WriteGif({3, 2, kPalette, -1, {Frame(1, 1, 2, 1, "01")}})), 1);
    GifPaint seen;
    ASSERT_TRUE(single.player.PaintCurrentFrame([&](const GifPaint& p) { seen = p; }));
    EXPECT_EQ(std::tuple(seen.destX, seen.destY, seen.destWidth, seen.destHeight, seen.scaled, seen.mask),
              std::tuple(2, 2, 3, 2, true, nullptr))
        << "R(5/3), R(1.5), R(10/3), R(1.5)";
}
