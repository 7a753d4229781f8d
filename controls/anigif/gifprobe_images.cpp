// gifprobe --indices DIR FILE and gifprobe --frames DIR FILE [--background RRGGBB].
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "gifprobe_common.h"

namespace {
std::string FramePath(const std::string& dir, std::int32_t k, const char* extension) {
    return (std::filesystem::path(dir) / ("frame-" + std::to_string(k) + extension)).string();
}

// Reads FILE and loads it; prints the reason and gives the exit code on failure.
int LoadFile(const std::string& path, ProbePlayer& probe, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadProbeFile(path, bytes, error) || !probe.Load(std::move(bytes), error)) {
        err << error << "\n";
        return kProbeRefused;
    }
    return kProbeOk;
}

bool MakeDirectory(const std::string& dir, std::ostream& err) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        err << "cannot create " << dir << "\n";
        return false;
    }
    return true;
}

bool ParseColour(const std::string& text, std::uint8_t (&rgb)[3]) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
    rgb[0] = static_cast<std::uint8_t>(value >> 16);
    rgb[1] = static_cast<std::uint8_t>(value >> 8);
    rgb[2] = static_cast<std::uint8_t>(value);
    return true;
}
}  // namespace

int RunIndicesCommand(std::span<const char* const> args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: gifprobe --indices DIR FILE\n";
        return kProbeUsage;
    }
    ProbePlayer probe;
    if (const int code = LoadFile(args[1], probe, err)) return code;
    if (!MakeDirectory(args[0], err)) return kProbeRefused;
    const AniGifPlayer& player = probe.player();
    const GifStrip& strip = player.Strip();
    std::vector<std::uint8_t> samples;
    for (std::int32_t k = 1; k <= player.FrameCount(); ++k) {
        const GifFrame& frame = player.Frames()[static_cast<std::size_t>(k - 1)];
        samples.clear();
        for (std::int32_t y = 0; y < frame.frameHeight; ++y)
            samples.insert(samples.end(), strip.Row(y) + frame.stripX, strip.Row(y) + frame.stripX + frame.frameWidth);
        std::string error;
        if (!WritePgm(FramePath(args[0], k, ".pgm"), frame.frameWidth, frame.frameHeight, samples, error)) {
            err << error << "\n";
            return kProbeRefused;
        }
    }
    out << "wrote " << player.FrameCount() << " frames to " << args[0] << "\n";
    return kProbeOk;
}

int RunFramesCommand(std::span<const char* const> args, std::ostream& out, std::ostream& err) {
    std::uint8_t background[3] = {0xFF, 0x00, 0xFF};
    const bool withBackground = args.size() == 4 && std::string(args[2]) == "--background";
    if (!(args.size() == 2 || withBackground) || (withBackground && !ParseColour(args[3], background))) {
        err << "usage: gifprobe --frames DIR FILE [--background RRGGBB]\n";
        return kProbeUsage;
    }
    ProbePlayer probe;
    if (const int code = LoadFile(args[1], probe, err)) return code;
    if (!MakeDirectory(args[0], err)) return kProbeRefused;
    AniGifPlayer& player = probe.player();
    GifScreen screen;
    for (std::int32_t k = 1; k <= player.FrameCount(); ++k) {
        if (k > 1) player.ApplyAction(GifAction::Step);  // frame k becomes current
        // Every paint starts from the freshly erased control.
        screen.Fill(player.ActualWidth(), player.ActualHeight(), background[0], background[1], background[2]);
        player.PaintCurrentFrame([&](const GifPaint& paint) { BlitGifPaint(paint, screen); });
        std::string error;
        if (!WritePpm(FramePath(args[0], k, ".ppm"), screen, error)) {
            err << error << "\n";
            return kProbeRefused;
        }
    }
    out << "wrote " << player.FrameCount() << " frames to " << args[0] << "\n";
    return kProbeOk;
}
