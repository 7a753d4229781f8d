#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gifprobe_export.h"

TEST(RunExportCommand, WritesTheExportOfFrameKOrFailsWithAReason) {
    const std::string in = std::filesystem::temp_directory_path() / ("gifprobe_in_" + std::to_string(getpid()));
    const std::string out = in + ".out";
    std::ofstream(in, std::ios::binary) << "GIF89a-bytes";
    std::vector<std::uint8_t> strip(8 * 3, 9);
    std::uint32_t palette[256] = {0x00112233};
    const ExportSource frame2{strip.data(), 8, 3, 4, 3, 3, palette};
    const ExportFrameLoader loader = [&](std::span<const std::uint8_t> bytes, std::int32_t k, ExportSource& s,
                                         std::string& error) {
        s = frame2, error = "no such frame";
        return bytes.size() == 12 && k == 2;
    };
    auto run = [&](std::vector<const char*> args) {
        std::ostringstream o, e;
        return RunExportCommand(args, loader, o, e);
    };
    ASSERT_EQ(run({"2", out.c_str(), in.c_str()}), 0);
    std::ifstream written(out, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(written), {}), BuildFrameGif(frame2));
    EXPECT_EQ(run({"3", out.c_str(), in.c_str()}), 1) << "loader refuses";
    EXPECT_EQ(run({"2", out.c_str(), (in + ".missing").c_str()}), 1);
    for (const char* k : {"0", "-1", "2x", ""}) EXPECT_EQ(run({k, out.c_str(), in.c_str()}), 2) << k;
    EXPECT_EQ(run({"2", out.c_str()}), 2);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}
