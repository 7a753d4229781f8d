// gifprobe: the maintainer's tool over the GIF control's portable core.
//   gifprobe FILE                                        the scan
//   gifprobe --indices DIR FILE                          every frame's colour indices
//   gifprobe --frames DIR FILE [--background RRGGBB]     frames as the control shows them
//   gifprobe --export K OUT FILE                         the GIF the export builds of frame K
// Exit codes: 0 done, 1 refused (reason on stderr), 2 wrong arguments.
#include <iostream>
#include <span>
#include <string_view>

#include "current_frame_export.h"
#include "gifprobe_common.h"
#include "gifprobe_export.h"

namespace {
int RunExport(std::span<const char* const> args, std::ostream& out, std::ostream& err) {
    // The player stays alive while the export reads its strip and palette.
    ProbePlayer probe;
    const ExportFrameLoader loadFrame = [&probe](std::span<const std::uint8_t> gif, std::int32_t frame,
                                                 ExportSource& source, std::string& error) {
        if (!probe.Load(std::vector<std::uint8_t>(gif.begin(), gif.end()), error)) return false;
        AniGifPlayer& player = probe.player();
        if (frame < 1 || frame > player.FrameCount()) {
            error = "no frame " + std::to_string(frame);
            return false;
        }
        // Stepping from frame 1 to frame K, as Action Step does.
        for (std::int32_t k = 1; k < frame; ++k) player.ApplyAction(GifAction::Step);
        const std::optional<ExportSource> current = CurrentFrameSource(player);
        if (!current) {
            error = "frame " + std::to_string(frame) + " is not built";
            return false;
        }
        source = *current;
        return true;
    };
    return RunExportCommand(args, loadFrame, out, err);
}

struct ProbeCommand {
    std::string_view name;
    int (*run)(std::span<const char* const> args, std::ostream& out, std::ostream& err);
};

// Every subcommand: the word that selects it and its entry, which gets the
// words after that one. A new subcommand is one line here.
constexpr ProbeCommand kCommands[] = {
    {"--indices", RunIndicesCommand},
    {"--frames", RunFramesCommand},
    {"--export", RunExport},
};

constexpr char kUsage[] =
    "usage: gifprobe FILE\n"
    "       gifprobe --indices DIR FILE\n"
    "       gifprobe --frames DIR FILE [--background RRGGBB]\n"
    "       gifprobe --export K OUT FILE\n";

int PrintScan(const char* path, std::ostream& out, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadProbeFile(path, bytes, error)) {
        err << error << "\n";
        return kProbeRefused;
    }
    GifScan scan;
    if (ScanGif(bytes, scan) == 0) {
        err << "not a usable GIF\n";
        return kProbeRefused;
    }
    const GifLoadFailure refused = CheckGifLimits(scan, false, GifLimits{});
    if (refused.error != GifLoadError::None) {
        err << ProbeFailureText(refused) << "\n";
        return kProbeRefused;
    }
    out << "gif " << scan.actualWidth << " " << scan.actualHeight << " loops " << scan.loops << " frames "
        << scan.frames.size() << "\n";
    for (std::size_t i = 0; i < scan.frames.size(); ++i) {
        const GifFrame& f = scan.frames[i];
        out << "frame " << i + 1 << " left " << f.frameLeft << " top " << f.frameTop << " width " << f.frameWidth
            << " height " << f.frameHeight << " delay " << f.delayMs << " disposal " << int{f.disposal}
            << " transparent ";
        if (f.hasTransparency)
            out << int{f.transparentIndex};
        else
            out << "-";
        out << " palette " << f.paletteIndex << "\n";
    }
    return kProbeOk;
}
}  // namespace

int main(int argc, char** argv) {
    const std::span<const char* const> words(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    if (words.empty()) {
        std::cerr << kUsage;
        return kProbeUsage;
    }
    for (const ProbeCommand& command : kCommands)
        if (words[0] == command.name) return command.run(words.subspan(1), std::cout, std::cerr);
    if (words.size() != 1 || std::string_view(words[0]).starts_with("--")) {
        std::cerr << kUsage;
        return kProbeUsage;
    }
    return PrintScan(words[0], std::cout, std::cerr);
}
