#include "gifprobe_export.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <vector>

namespace {
bool ParseFrameNumber(const char* text, std::int32_t& frame) {
    const char* end = text + std::strlen(text);
    const auto [rest, ec] = std::from_chars(text, end, frame);
    return ec == std::errc() && rest == end && rest != text && frame > 0;
}

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "cannot read " + std::string(path);
        return false;
    }
    if (size > kMaxProbeFileBytes) {
        error = std::string(path) + " is larger than " + std::to_string(kMaxProbeFileBytes) + " bytes";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        error = "cannot read " + std::string(path);
        return false;
    }
    return true;
}
}  // namespace

int RunExportCommand(std::span<const char* const> args, const ExportFrameLoader& loadFrame, std::ostream& out,
                     std::ostream& err) {
    std::int32_t frame = 0;
    if (args.size() != 3 || !ParseFrameNumber(args[0], frame)) {
        err << "usage: gifprobe --export K OUT FILE   (K: frame number from 1)\n";
        return 2;
    }
    const char* outPath = args[1];
    const char* gifPath = args[2];

    std::vector<std::uint8_t> gif;
    std::string error;
    if (!ReadWholeFile(gifPath, gif, error)) {
        err << error << '\n';
        return 1;
    }
    ExportSource source;
    if (!loadFrame(gif, frame, source, error)) {
        err << gifPath << ": " << error << '\n';
        return 1;
    }
    const std::vector<std::uint8_t> exported = BuildFrameGif(source);
    if (exported.empty()) {
        err << gifPath << ": frame " << frame << " exports no picture\n";
        return 1;
    }
    std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(exported.data()), static_cast<std::streamsize>(exported.size()));
    file.close();
    if (!file) {
        err << "cannot write " << outPath << '\n';
        return 1;
    }
    out << "frame " << frame << ": " << source.frameWidth << " x " << source.frameHeight << ", " << exported.size()
        << " bytes written to " << outPath << '\n';
    return 0;
}
