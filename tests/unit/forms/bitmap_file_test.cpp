#include <gtest/gtest.h>

#include <cstdint>

#include "bitmap_file.h"

namespace {
std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
}  // namespace

TEST(BuildBitmapFile24, TheRingTextureIsTwelveThousandThreeHundredFortyFourBytes) {
    std::string rows(64 * 192, '\0');
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<char>(i % 247);
    const std::string file = BuildBitmapFile24(64, 64, rows);
    ASSERT_EQ(file.size(), 12344u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(U32(file, 2), 12344u);
    EXPECT_EQ(U32(file, 10), 54u);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), 64u);
    EXPECT_EQ(U32(file, 22), 64u);
    EXPECT_EQ(U16(file, 26), 1);
    EXPECT_EQ(U16(file, 28), 24);
    EXPECT_EQ(U32(file, 30), 0u);
    EXPECT_EQ(U32(file, 34), 12288u);
    EXPECT_EQ(U32(file, 38), 2834u);
    EXPECT_EQ(U32(file, 42), 2834u);
    EXPECT_EQ(file.substr(54, 12288), rows);
    EXPECT_EQ(file.substr(12342), std::string(2, '\0'));
}

TEST(BuildBitmapFile24, PadsRowsAndRefusesWhatIsNotAPicture) {
    EXPECT_EQ(BitmapStride24(101), 304);
    EXPECT_EQ(BuildBitmapFile24(101, 2, std::string(608, 'x')).size(), 54u + 608 + 2);
    EXPECT_TRUE(BuildBitmapFile24(101, 2, std::string(607, 'x')).empty()) << "rows too short";
    EXPECT_TRUE(BuildBitmapFile24(0, 2, std::string(8, 'x')).empty());
    EXPECT_TRUE(BuildBitmapFile24(2, -2, std::string(16, 'x')).empty());
    EXPECT_TRUE(BuildBitmapFile24(100000, 1, std::string(8, 'x')).empty());
}
