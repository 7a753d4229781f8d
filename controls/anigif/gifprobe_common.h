// Shared pieces of gifprobe, the maintainer's tool over the GIF control's
// portable core (not shipped): reading the file, a player run the way the
// tool shows frames, and image files.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "anigif_player.h"
#include "gif_screen.h"

// Exit codes of every subcommand.
constexpr int kProbeOk = 0;
constexpr int kProbeRefused = 1;  // not a usable GIF, a limit, a file that cannot be read or written
constexpr int kProbeUsage = 2;    // wrong arguments

// The whole file; false with a one-line message in error.
bool ReadProbeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// A player in user mode with no timers, Stretch Clip, Mirrored 0 and
// DelayAnimation 0: a load builds every frame at once and leaves frame 1
// current and the animation stopped.
class ProbePlayer final : private AniGifHost {
public:
    ProbePlayer();
    // Loads bytes; false with the one-line reason ("not a usable GIF", or the
    // limit that refused the file) in error.
    bool Load(std::vector<std::uint8_t> bytes, std::string& error);
    AniGifPlayer& player() { return player_; }

private:
    bool UserMode() const override { return true; }
    void InnerSize(std::int32_t& width, std::int32_t& height) const override { width = height = 0; }
    bool StartTimer(unsigned) override { return false; }
    void StopTimer() override {}
    void Refresh() override {}
    void RaiseLoopsEnded() override {}

    AniGifPlayer player_;
};

// The reason a load or a scan was refused, as the tool prints it.
std::string ProbeFailureText(const GifLoadFailure& failure);

// Binary netpbm files: P5 with one byte per sample (rows given top first),
// P6 from a screen picture. False with a message in error.
bool WritePgm(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<std::uint8_t>& samples, std::string& error);
bool WritePpm(const std::string& path, const GifScreen& screen, std::string& error);

// The subcommands other than the plain scan; args are the words after the
// subcommand's own.
int RunIndicesCommand(std::span<const char* const> args, std::ostream& out, std::ostream& err);
int RunFramesCommand(std::span<const char* const> args, std::ostream& out, std::ostream& err);
