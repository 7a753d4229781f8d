// Walking text in the ANSI code page the settings are written for, Shift-JIS
// (code page 932), one character at a time. A byte scan alone is wrong there:
// the trail byte of a double-byte character may have the value of a backslash,
// of ']' or of an ASCII letter.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Lead bytes of a double-byte character: 81-9F and E0-FC.
constexpr bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length in bytes (1 or 2) of the character that starts at `at` (< text.size()).
// A lead byte takes the next byte with it whatever that byte is, as the
// system's multi-byte conversion does, unless there is none or it is NUL; a
// lead byte at the end of the text is a character of its own.
constexpr std::size_t Cp932CharLength(std::string_view text, std::size_t at) {
    if (IsCp932LeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
        text[at + 1] != '\0')
        return 2;
    return 1;
}

// ASCII letters fold to upper case; every other byte, double-byte characters
// included, compares as it is.
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equality that ignores the case of ASCII letters outside double-byte
// characters; trail bytes compare exactly.
constexpr bool Cp932EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::size_t i = 0;
    while (i < a.size()) {
        const std::size_t length = Cp932CharLength(a, i);
        if (length != Cp932CharLength(b, i)) return false;
        if (length == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
        i += length;
    }
    return true;
}

// Byte strings in the ANSI code page, Shift-JIS (932), as the music player
// walks them. A lead byte 0x81-0x9F or 0xE0-0xFC and the byte after it form
// one character; any other byte is a character by itself. Trail bytes
// (0x40-0x7E, 0x80-0xFC) can look like ASCII letters, so character-level
// tests walk the string instead of scanning bytes.
bool IsLeadByte(unsigned char byte);

// The last n characters of text (all of it when it has fewer).
std::string_view LastCharacters(std::string_view text, std::size_t n);

// ASCII letters upper-cased; double-byte characters are left as they are.
std::string UpperCased(std::string_view text);

// True when word (upper-case ASCII) occurs in UpperCased(text) starting on a
// character boundary, so a trail byte never takes part in a match.
bool ContainsUpperCased(std::string_view text, std::string_view word);
