#include "gifprobe_common.h"

#include <fstream>
#include <iterator>

bool ReadProbeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kGifMaxFileBytes) {
        error = "cannot read " + path + ": not a file of at most " + std::to_string(kGifMaxFileBytes) + " bytes";
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

ProbePlayer::ProbePlayer() : player_(*this) {
    player_.SetStretch(GifStretch::Clip);
    player_.SetMirrored(0);
    player_.SetDelayAnimation(0);
}

bool ProbePlayer::Load(std::vector<std::uint8_t> bytes, std::string& error) {
    player_.SetGifBytes(std::move(bytes));
    if (player_.LoadGif() > 0) return true;
    error = ProbeFailureText(player_.LastLoadFailure());
    return false;
}

std::string ProbeFailureText(const GifLoadFailure& failure) {
    if (failure.error == GifLoadError::NotAGif || failure.error == GifLoadError::NoBytes) return "not a usable GIF";
    return "refused: " + DescribeGifLoadFailure(failure);
}

namespace {
bool WriteFile(const std::string& path, const std::string& header, const std::uint8_t* data, std::size_t size,
               std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header;
    if (size) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) error = "cannot write " + path;
    return static_cast<bool>(out);
}
}  // namespace

bool WritePgm(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<std::uint8_t>& samples, std::string& error) {
    const std::string header = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    return WriteFile(path, header, samples.data(), samples.size(), error);
}

bool WritePpm(const std::string& path, const GifScreen& screen, std::string& error) {
    std::vector<std::uint8_t> rgb(screen.pixels.size());
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        rgb[i] = screen.pixels[i + 2];
        rgb[i + 1] = screen.pixels[i + 1];
        rgb[i + 2] = screen.pixels[i];
    }
    const std::string header = "P6\n" + std::to_string(screen.width) + " " + std::to_string(screen.height) + "\n255\n";
    return WriteFile(path, header, rgb.data(), rgb.size(), error);
}
