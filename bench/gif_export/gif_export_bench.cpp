// Export throughput (pixels per second) and file size of the current-frame
// export beside giflib's EGifPutLine encoding the same indices with the same
// 256-entry global table, measured in the same run. Rounds alternate between
// the two; each figure is the median of the rounds.
// usage: gif_export_bench [rounds] [milliseconds-per-round]
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gif_export.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Frame {
    std::string name;
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> topDown;  // giflib's input: rows from the top
    std::vector<std::uint8_t> strip;    // ours: the bottom-up, padded strip
    std::array<std::uint32_t, 256> palette{};

    Frame(std::string n, std::int32_t w, std::int32_t h, const std::function<std::uint8_t(int, int)>& pixel)
        : name(std::move(n)),
          width(w),
          height(h),
          topDown(std::size_t(w) * h),
          strip(std::size_t(StripRowBytes(w)) * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                topDown[std::size_t(y) * w + x] = pixel(x, y);
                strip[std::size_t(h - 1 - y) * StripRowBytes(w) + x] = pixel(x, y);
            }
        for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
    }
    ExportSource Source() const { return {strip.data(), width, height, 0, width, height, palette.data()}; }
};

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}

std::size_t GiflibEncode(const Frame& f, const ColorMapObject* map) {
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(f.width) * f.height + 1024);
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (!gif) return 0;
    bool ok = EGifPutScreenDesc(gif, f.width, f.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, f.width, f.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < f.height; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&f.topDown[std::size_t(y) * f.width]), f.width) == GIF_OK;
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok ? out.size() : 0;
}

// Runs `encode` for about `ms` milliseconds; pixels per second.
double Rate(const Frame& f, double ms, const std::function<std::size_t()>& encode, std::size_t& size) {
    std::int64_t runs = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        size = encode();
        ++runs;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed * 1000 < ms);
    return double(runs) * f.width * f.height / elapsed;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const double ms = argc > 2 ? std::max(1, std::atoi(argv[2])) : 150;

    std::mt19937 random(1);
    std::vector<Frame> frames;
    frames.emplace_back("noise 640x480", 640, 480, [&](int, int) { return std::uint8_t(random()); });
    frames.emplace_back("gradient 640x480", 640, 480, [&](int x, int y) {
        // Smooth shading with a little sensor noise, as in a photograph.
        const double v = 128 + 90 * std::sin(x / 97.0) * std::cos(y / 71.0) + 25 * std::sin((x + y) / 23.0);
        return std::uint8_t(std::clamp(v + double(random() % 5) - 2, 0.0, 255.0));
    });
    frames.emplace_back("banner 120x50", 120, 50, [](int x, int y) {
        // Flat backdrop, a band, and blocky lettering in a few colours.
        if (y >= 15 && y < 35 && x >= 10 && x < 110) return std::uint8_t((x / 6 + y / 5) % 3 == 0 ? 12 : 40);
        return std::uint8_t(y < 5 || y >= 45 ? 200 : 3);
    });

    std::printf("%-18s %8s %12s %12s %7s %10s %10s %7s\n", "frame", "pixels", "ours Mpx/s", "giflib Mpx/s", "speed",
                "ours B", "giflib B", "size");
    for (const Frame& f : frames) {
        std::vector<GifColorType> colours(256);
        for (int i = 0; i < 256; ++i)
            colours[i] = {GifByteType(f.palette[i] >> 16), GifByteType(f.palette[i] >> 8), GifByteType(f.palette[i])};
        ColorMapObject* map = GifMakeMapObject(256, colours.data());
        std::vector<double> ours, theirs;
        std::size_t oursSize = 0, theirSize = 0;
        for (int r = 0; r < rounds; ++r) {
            ours.push_back(Rate(
                f, ms, [&] { return BuildFrameGif(f.Source()).size(); }, oursSize));
            theirs.push_back(Rate(
                f, ms, [&] { return GiflibEncode(f, map); }, theirSize));
        }
        GifFreeMapObject(map);
        const double a = Median(ours), b = Median(theirs);
        std::printf("%-18s %8d %12.1f %12.1f %6.2fx %10zu %10zu %6.3fx\n", f.name.c_str(), f.width * f.height, a / 1e6,
                    b / 1e6, a / b, oursSize, theirSize, double(oursSize) / double(theirSize));
    }
    std::printf("speed = ours / giflib pixels per second (target >= 1.00x); size = ours / giflib bytes\n");
    return 0;
}
