// Any bytes as a GIF for the control: the scan, frame building in user and
// design mode, playback ticks, composition of every frame (mirrored, scaled)
// must stay inside their buffers, finish, and keep the frames inside the
// picture and the strip.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "anigif_player.h"
#include "gif_screen.h"

namespace {
struct FuzzHost final : AniGifHost {
    bool userMode = true;
    bool pending = false;
    bool UserMode() const override { return userMode; }
    void InnerSize(std::int32_t& w, std::int32_t& h) const override { w = 37, h = 23; }
    bool StartTimer(unsigned) override { return pending = true; }
    void StopTimer() override { pending = false; }
    void Refresh() override {}
    void RaiseLoopsEnded() override {}
};

volatile unsigned touched;

// Reads every byte the Windows layer would blit.
void Touch(const GifPaint& paint) {
    if (paint.sourceWidth <= 0 || paint.sourceHeight <= 0 || !paint.colour) __builtin_trap();
    unsigned sum = 0;
    const std::int64_t colourBytes = GifColourStride(paint.sourceWidth) * paint.sourceHeight;
    for (std::int64_t i = 0; i < colourBytes; i += 61) sum += paint.colour[i];
    sum += paint.colour[colourBytes - 1];
    if (paint.mask) {
        const std::int64_t maskBytes = GifMaskStride(paint.sourceWidth) * paint.sourceHeight;
        for (std::int64_t i = 0; i < maskBytes; i += 7) sum += paint.mask[i];
        sum += paint.mask[maskBytes - 1];
    }
    touched = sum;
}

void CheckFrames(const AniGifPlayer& player) {
    const GifStrip& strip = player.Strip();
    for (std::int32_t k = 1; k <= player.FrameCount(); ++k) {
        const GifFrame& f = player.Frames()[static_cast<std::size_t>(k - 1)];
        if (f.frameLeft < 0 || f.frameTop < 0 || f.frameLeft + f.frameWidth > player.ActualWidth() ||
            f.frameTop + f.frameHeight > player.ActualHeight())
            __builtin_trap();
        if (k <= player.BuiltFrameCount() && (f.stripX < 0 || f.stripX + f.frameWidth > strip.width)) __builtin_trap();
    }
}

// The first frames and the wrap back to frame 1: a paint of a long
// animation costs its whole canvas, and later frames add little.
void PaintAll(AniGifPlayer& player, GifScreen& screen) {
    const std::int32_t count = std::min(player.FrameCount(), std::int32_t{24});
    for (std::int32_t k = 1; k <= count + 1; ++k) {
        if (k > 1) player.ApplyAction(GifAction::Step);
        player.PaintCurrentFrame([&](const GifPaint& paint) {
            Touch(paint);
            if (k <= 4) BlitGifPaint(paint, screen);
        });
    }
}

void Run(const std::uint8_t* data, std::size_t size, bool userMode) {
    FuzzHost host;
    host.userMode = userMode;
    AniGifPlayer player(host);
    // Smaller than the shipped limits, so that each input stays quick.
    player.SetLimits({.maxFileBytes = 1u << 20, .maxStripBytes = 1 << 20, .maxPicturePixels = 1 << 16});
    player.SetStretch(GifStretch::Clip);
    player.SetDelayAnimation(size % 4);
    player.SetMirrored(static_cast<std::int32_t>(size / 4 % 4));
    player.SetMinFrameDelay(10);
    player.SetGifBytes(std::vector<std::uint8_t>(data, data + size));
    if (player.LoadGif() == 0) {
        if (player.CurrentFrame() != 0 || !player.GifBytes().empty()) __builtin_trap();
        return;
    }
    for (int tick = 0; tick < 5 && host.pending; ++tick) player.OnTimer();
    CheckFrames(player);
    GifScreen screen;
    screen.Fill(player.ActualWidth(), player.ActualHeight(), 1, 2, 3);
    PaintAll(player, screen);
    player.SetMirrored(player.Mirrored() ^ 3);
    CheckFrames(player);
    PaintAll(player, screen);
    std::int32_t width = 37, height = 23;
    player.SetStretch(static_cast<GifStretch>(size % 5));
    player.ComputeScale(width, height);
    player.PaintCurrentFrame(Touch);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GifScan scan;
    const std::int32_t count = ScanGif({data, size}, scan);
    if (count < 0 || count > kGifMaxFrameCount || scan.spans.size() != scan.frames.size()) __builtin_trap();
    for (const GifFrame& f : scan.frames)
        if (f.paletteIndex < 0 || static_cast<std::size_t>(f.paletteIndex) >= scan.palettes.size()) __builtin_trap();
    Run(data, size, true);
    Run(data, size, false);
    return 0;
}
