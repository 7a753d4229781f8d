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
    for (const auto& [path, folder] : cases) EXPECT_EQ(FolderOf(path, ShiftJis()), folder) << path;
    const std::string deep = "C:" + std::string(40000, '\\') + "x";
    EXPECT_EQ(FolderOf(deep, ShiftJis()).size(), 40001u) << "no 16-bit limit";
}

TEST(EndsWithBackslash, OnlyASingleByteBackslash) {
    EXPECT_TRUE(EndsWithBackslash("C:\\", ShiftJis()));
    EXPECT_TRUE(EndsWithBackslash(kSo + "\\", ShiftJis()));
    EXPECT_FALSE(EndsWithBackslash("C:\\" + kSo, ShiftJis()));
    EXPECT_FALSE(EndsWithBackslash("", ShiftJis()));
}

// The same bytes are different characters in different ANSI code pages: a
// path is walked in the one it is really in.
TEST(PathParts, EachCodePageWalksItsOwnCharacters) {
    struct Case {
        unsigned codePage;
        std::string path, folder;
        bool endsWithBackslash;
        const char* why;
    };
    const Case cases[] = {
        {932, "C:\\a\\\x83\x5C", "C:\\a", false, "ソ: trail byte 5C"},
        {936, "C:\\\xD5\x5C\\Velmora.scr", "C:\\\xD5\x5C", false, "誠: trail byte 5C"},
        {936, "C:\\a\\\xD5\x5C", "C:\\a", false, "誠 ends the name"},
        {1252, "C:\\users\\Ren\xE9\\Velmora.scr", "C:\\users\\Ren\xE9", false, "é is one byte in 1252"},
        {932, "C:\\users\\Ren\xE9\\Velmora.scr", "C:\\users", false, "the same bytes in 932: E9 5C is one character"},
        {1252, "C:\\users\\Ren\xE9\\", "C:\\users\\Ren\xE9", true, "a trailing backslash after é"},
        {932, "C:\\\xB1\\", "C:\\\xB1", true, "half-width ｱ is a single byte in 932"},
        {936, "C:\\\xB1\\", "C:", false, "but a lead byte in 936"},
        {kUtf8CodePage, "C:\\users\\Ren\xC3\xA9\\Velmora.scr", "C:\\users\\Ren\xC3\xA9", false, "UTF-8"},
    };
    for (const Case& c : cases) {
        const CodePage cp = CodePage::Numbered(c.codePage);
        EXPECT_EQ(FolderOf(c.path, cp), c.folder) << c.codePage << ": " << c.why;
        EXPECT_EQ(EndsWithBackslash(c.path, cp), c.endsWithBackslash) << c.codePage << ": " << c.why;
    }
}
