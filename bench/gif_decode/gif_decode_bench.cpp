// Decode throughput of the GIF control's core (scan + every frame's colour
// indices into the strip) beside giflib's DGifSlurp on the same bytes, in
// one run, and the composition cost per frame. Prints figures; build it
// optimised and without sanitizers (bench/gif_decode_bench.sh).
#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "anigif_player.h"
#include "giflib_memory.h"

namespace {
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// A GIF written by giflib's encoder: `frames` full frames whose indices come
// from pixel(frame, x, y), each shown 40 ms.
Bytes MakeGif(int width, int height, int frames, int colours, const std::function<int(int, int, int)>& pixel) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GiflibWriteMemory, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(colours, nullptr);
    for (int i = 0; i < colours; ++i)
        map->Colors[i] = {static_cast<GifByteType>(i * 255 / colours), static_cast<GifByteType>(i * 7),
                          static_cast<GifByteType>(255 - i * 255 / colours)};
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int f = 0; f < frames; ++f) {
        if (frames > 1) {
            GraphicsControlBlock control{1, false, 4, NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        }
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                row[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(pixel(f, x, y));
            EGifPutLine(gif, row.data(), width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// Smooth light and shade with dithering noise, as a photo reduced to 256
// colours looks to the compressor.
std::function<int(int, int, int)> PhotoLike(int colours, int noise) {
    auto random = std::make_shared<std::mt19937>(1);
    return [=](int f, int x, int y) {
        const double v = 0.5 + 0.25 * std::sin((x + 3 * f) * 0.021) * std::cos(y * 0.017) +
                         0.2 * std::sin((x * 0.7 + y) * 0.009 + f * 0.05);
        const int level = static_cast<int>(v * (colours - 1)) + static_cast<int>((*random)() % (2 * noise + 1)) - noise;
        return std::clamp(level, 0, colours - 1);
    };
}

struct NullHost final : AniGifHost {
    bool UserMode() const override { return true; }
    void InnerSize(std::int32_t& w, std::int32_t& h) const override { w = h = 0; }
    bool StartTimer(unsigned) override { return false; }
    void StopTimer() override {}
    void Refresh() override {}
    void RaiseLoopsEnded() override {}
};

// Best of `rounds` timings of run(), in seconds.
double Best(int rounds, const std::function<void()>& prepare, const std::function<void()>& run) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        const auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void Measure(const char* name, const Bytes& file, int rounds) {
    NullHost host;
    AniGifPlayer player(host);
    player.SetStretch(GifStretch::Clip);
    player.SetDelayAnimation(0);
    std::int32_t frames = 0;
    const double ours = Best(
        rounds, [&] { player.SetGifBytes(file); }, [&] { frames = player.LoadGif(); });

    int giflibFrames = 0;
    const double theirs = Best(
        rounds, [] {},
        [&] {
            std::pair<const Bytes*, std::size_t> cursor{&file, 0};
            int error = 0;
            GifFileType* gif = DGifOpen(&cursor, GiflibReadMemory, &error);
            if (DGifSlurp(gif) == GIF_OK) giflibFrames = gif->ImageCount;
            DGifCloseFile(gif, &error);
        });

    // Composition: every frame once, in order, the way the timer shows them.
    player.SetGifBytes(file);
    player.LoadGif();
    std::uint64_t touched = 0;
    const double compose = Best(
        std::max(1, rounds / 2), [] {},
        [&] {
            for (std::int32_t k = 1; k <= player.FrameCount(); ++k) {
                if (k > 1) player.ApplyAction(GifAction::Step);
                player.PaintCurrentFrame([&](const GifPaint& paint) { touched += paint.colour[0]; });
            }
            player.ApplyAction(GifAction::Stop);
        });

    const double mb = static_cast<double>(file.size()) / 1e6;
    std::printf(
        "%-28s %8.2f MB %4d frames | ours %8.1f MB/s | giflib %8.1f MB/s (%d frames) | ratio %5.2fx | "
        "compose %7.3f ms/frame (%s)\n",
        name, mb, frames, mb / ours, mb / theirs, giflibFrames, theirs / ours, compose * 1e3 / std::max(frames, 1),
        player.ComposeMode() == GifComposeMode::Direct ? "direct" : "canvas");
    if (touched == 42) std::printf(" ");
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("generating the files with giflib's encoder ...\n");
    const Bytes animation = MakeGif(640, 480, 100, 256, PhotoLike(256, 2));
    const Bytes large = MakeGif(4000, 3000, 1, 256, PhotoLike(256, 2));
    const Bytes banner = MakeGif(120, 50, 25, 32, PhotoLike(32, 0));
    std::printf("best of %d rounds each\n", rounds);
    Measure("100 frames 640x480 (photo)", animation, rounds);
    Measure("4000x3000 single (photo)", large, rounds);
    Measure("banner 120x50, 25 frames", banner, rounds * 20);
    return 0;
}
