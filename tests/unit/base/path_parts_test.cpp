#include <gtest/gtest.h>

#include "path_parts.h"

namespace {
const std::string kSo = "\x83\x5C";  // "ソ": its trail byte has the value of a backslash
}

TEST(FolderOf, FolderPartWithoutTrailingBackslash) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Music\\song.mp3", "C:\\Music"},
        {"C:\\song.mp3", "C:"},
        {"C:song.mp3", "C:"},
        {"song.mp3", ""},
        {"", ""},
        {"C:\\", "C:"},
        {"C:\\Music\\", "C:\\Music"},
        {"\\song.mp3", ""},
        {"\\\\server\\share\\song.mp3", "\\\\server\\share"},
        {"C:\\a\\\\b.mp3", "C:\\a\\"} /* only one backslash is dropped */,
        {"C:\\" + kSo + "\\x.mp3", "C:\\" + kSo},
        {"C:\\" + kSo + "x.mp3", "C:"},
        {"C:\\" + kSo, "C:"},
        {"\x95\x5C.wav", ""} /* "表": a trail byte is no separator */,
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(FolderOf(path), folder) << path;
    const std::string deep = "C:" + std::string(40000, '\\') + "x";
    EXPECT_EQ(FolderOf(deep).size(), 40001u) << "no 16-bit limit";
}

TEST(EndsWithBackslash, OnlyASingleByteBackslash) {
    EXPECT_TRUE(EndsWithBackslash("C:\\"));
    EXPECT_TRUE(EndsWithBackslash(kSo + "\\"));
    EXPECT_FALSE(EndsWithBackslash("C:\\" + kSo));
    EXPECT_FALSE(EndsWithBackslash(""));
}
