// Picking the image of an icon or cursor file, and refusing files whose
// directory points outside them.
#include "icon_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

// A directory of images of the given widths, each 40 bytes, after it.
Bytes IconFile(std::uint16_t type, std::initializer_list<int> widths) {
    Bytes file = {0, 0, static_cast<std::uint8_t>(type), 0, static_cast<std::uint8_t>(widths.size()), 0};
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * widths.size());
    for (int width : widths) {
        const auto w = static_cast<std::uint8_t>(width == 256 ? 0 : width);
        file.insert(file.end(), {w, w, 0, 0, 12, 0, 1, 0, 40, 0, 0, 0});  // hot spot (12, 1) for cursors
        for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<std::uint8_t>(offset >> shift));
        offset += 40;
    }
    file.resize(offset);
    return file;
}
}  // namespace

TEST(IconFile, PicksTheClosestSizeAndReadsTheHotSpot) {
    const auto cursor = PickIconImage(IconFile(2, {32}), 32);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->kind, IconFileKind::Cursor);
    EXPECT_EQ(cursor->hotspotX, 12);
    EXPECT_EQ(cursor->hotspotY, 1);
    EXPECT_EQ(cursor->offset, 22u);
    EXPECT_EQ(PickIconImage(IconFile(1, {16, 48, 32}), 32)->width, 32);
    EXPECT_EQ(PickIconImage(IconFile(1, {16, 48, 256}), 32)->width, 48);
    EXPECT_EQ(PickIconImage(IconFile(1, {16, 24}), 32)->width, 24);
    EXPECT_EQ(PickIconImage(IconFile(1, {256}), 32)->width, 256);
}

TEST(IconFile, MalformedFilesAreRefused) {
    const Bytes good = IconFile(1, {32});
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(PickIconImage(Bytes(good.begin(), good.begin() + cut), 32)) << cut;
    Bytes bad = good;
    bad[2] = 3;  // neither icon nor cursor
    EXPECT_FALSE(PickIconImage(bad, 32));
    bad = good;
    bad[4] = 0;  // no images
    EXPECT_FALSE(PickIconImage(bad, 32));
    bad = good;
    bad[18] = 0;  // image offset inside the directory
    EXPECT_FALSE(PickIconImage(bad, 32));
    bad = good;
    bad[14] = 0xFF, bad[15] = 0xFF, bad[16] = 0xFF, bad[17] = 0xFF;  // 4 GiB image
    EXPECT_FALSE(PickIconImage(bad, 32));
}

TEST(IconFile, GroupResourcesPickTheImageForTheScreen) {
    // The resource form: 14-byte entries naming RT_ICON resources.
    const auto group = [](std::initializer_list<int> widths) {
        Bytes dir = {0, 0, 1, 0, static_cast<std::uint8_t>(widths.size()), 0};
        for (int width : widths)
            dir.insert(dir.end(), {static_cast<std::uint8_t>(width), 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 1, 0});
        return dir;
    };
    const Bytes program = group({64, 48, 32, 16});
    EXPECT_EQ(PickIconGroupSize(program, 32), 32) << "96 dpi";
    EXPECT_EQ(PickIconGroupSize(program, 40), 48) << "120 dpi: shrunk from the larger, not blown up";
    EXPECT_EQ(PickIconGroupSize(program, 96), 64);
    for (std::size_t cut = 0; cut < program.size(); ++cut)
        EXPECT_FALSE(PickIconGroupSize(Bytes(program.begin(), program.begin() + cut), 32)) << cut;
}
