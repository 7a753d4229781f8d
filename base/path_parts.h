// The parts of a path, walked by character in the code page the path is in:
// the trail byte of a double-byte character such as "ソ" (83 5C in code page
// 932) or "誠" (D5 5C in 936) has the value of a backslash but is no
// separator, while in code page 1252 "é\" (E9 5C) is two characters, E9
// being a lead byte only in 932. Paths the program names itself are UTF-8.
#pragma once
#include <string>
#include <string_view>

#include "code_page.h"

// The folder part of a path: everything up to its last ':' or backslash,
// without a trailing backslash. C:\Music\song.mp3 gives C:\Music,
// C:\song.mp3 and C:song.mp3 give C:, song.mp3 gives "".
std::string FolderOf(std::string_view path, const CodePage& cp);

// True when the last character is a backslash (not a trail byte of that value).
bool EndsWithBackslash(std::string_view path, const CodePage& cp);

// The path without one trailing backslash, when it ends in one.
std::string_view WithoutTrailingBackslash(std::string_view path, const CodePage& cp);
