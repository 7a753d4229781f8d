// Byte strings in the ANSI code page, Shift-JIS (932). A lead byte 0x81-0x9F
// or 0xE0-0xFC and the byte after it form one character; any other byte is a
// character by itself. Trail bytes (0x40-0x7E, 0x80-0xFC) can look like ASCII
// letters, so character-level tests walk the string instead of scanning bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

bool IsLeadByte(unsigned char byte);

// The last n characters of text (all of it when it has fewer).
std::string_view LastCharacters(std::string_view text, std::size_t n);

// ASCII letters upper-cased; double-byte characters are left as they are.
std::string UpperCased(std::string_view text);

// True when word (upper-case ASCII) occurs in UpperCased(text) starting on a
// character boundary, so a trail byte never takes part in a match.
bool ContainsUpperCased(std::string_view text, std::string_view word);
