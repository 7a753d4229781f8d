// The parts of a path. Paths are ANSI (code page 932) bytes, and are
// walked by character: the trail byte of a double-byte character such as
// "ソ" (83 5C) has the value of a backslash but is no separator.
#pragma once
#include <string>
#include <string_view>

// The folder part of a path: everything up to its last ':' or backslash,
// without a trailing backslash. C:\Music\song.mp3 gives C:\Music,
// C:\song.mp3 and C:song.mp3 give C:, song.mp3 gives "".
std::string FolderOf(std::string_view path);

// True when the last character is a backslash (not a trail byte of that value).
bool EndsWithBackslash(std::string_view path);

// The path without one trailing backslash, when it ends in one.
std::string_view WithoutTrailingBackslash(std::string_view path);
