#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

#include "gifprobe_export.h"

TEST(RunExportCommand, WritesTheExportOfFrameKOrFailsWithAReason) {
    const auto dir = std::filesystem::temp_directory_path() / ("gifprobe_export_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.gif").string(), out = (dir / "out.gif").string();
    std::ofstream(in, std::ios::binary) << "GIF89a-bytes";

    std::vector<std::uint8_t> strip(8 * 3, 9);
    std::uint32_t palette[256] = {0x00112233};
    std::int32_t askedFrame = 0, frameHeight = 3;
    const ExportFrameLoader loader = [&](std::span<const std::uint8_t> bytes, std::int32_t frame, ExportSource& s,
                                         std::string& error) {
        askedFrame = frame;
        if (bytes.size() != 12 || frame > 2) return error = "no such frame", false;
        s = {strip.data(), 8, 3, 4, 3, frameHeight, palette};
        return true;
    };
    auto run = [&](std::vector<const char*> args) {
        std::ostringstream o, e;
        return RunExportCommand(args, loader, o, e);
    };
    ASSERT_EQ(run({"2", out.c_str(), in.c_str()}), 0);
    EXPECT_EQ(askedFrame, 2);
    std::ifstream written(out, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(written), {}};
    EXPECT_EQ(bytes, BuildFrameGif({strip.data(), 8, 3, 4, 3, 3, palette}));

    EXPECT_EQ(run({"3", out.c_str(), in.c_str()}), 1) << "loader refuses";
    EXPECT_EQ(run({"1", out.c_str(), (dir / "missing.gif").string().c_str()}), 1);
    frameHeight = 0;
    EXPECT_EQ(run({"1", out.c_str(), in.c_str()}), 1) << "zero-size frame: no picture";
    for (const char* k : {"0", "-1", "1x", ""}) EXPECT_EQ(run({k, out.c_str(), in.c_str()}), 2) << k;
    EXPECT_EQ(run({"1", out.c_str()}), 2);
    std::filesystem::remove_all(dir);
}
