// Text in code pages: Shift-JIS (code page 932), the ANSI code page the
// settings, paths and device replies are written in, walked one character at
// a time; and conversions between a code page and UTF-16. A byte scan alone
// is wrong in Shift-JIS: the trail byte of a double-byte character may have
// the value of a backslash, of ']' or of an ASCII letter.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Code pages as the system numbers them.
constexpr unsigned kAnsiCodePage = 0;      // the system's ANSI code page (932 on the systems we are written for)
constexpr unsigned kUtf8CodePage = 65001;  // the texts of our own sources

// Lead bytes of a double-byte character: 81-9F and E0-FC.
constexpr bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length in bytes (1 or 2) of the character that starts at `at` (< text.size()).
// A lead byte takes the next byte with it whatever that byte is, as the
// system's multi-byte conversion does, unless there is none or it is NUL; a
// lead byte at the end of the text is a character of its own.
constexpr std::size_t Cp932CharLength(std::string_view text, std::size_t at) {
    if (IsCp932LeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() && text[at + 1] != '\0') return 2;
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

// text as a C string takes it: up to, not including, its first NUL.
constexpr std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// The first n characters of text (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view text, std::size_t n);
// The last n characters of text (all of it when it has fewer).
std::string_view LastCharacters(std::string_view text, std::size_t n);

// ASCII letters upper-cased; double-byte characters are left as they are.
std::string UpperCased(std::string_view text);

// True when word (upper-case ASCII) occurs in UpperCased(text) starting on a
// character boundary, so a trail byte never takes part in a match.
bool ContainsUpperCased(std::string_view text, std::string_view word);

// text in codePage converted to UTF-16, and back, by the system's tables;
// "" when the system cannot convert it. Windows builds only
// (code_page_win32.cpp).
std::wstring ToUtf16(std::string_view text, unsigned codePage);
std::string FromUtf16(std::wstring_view text, unsigned codePage);
