// Text in code pages, walked one character at a time: the ANSI code page
// the system hands paths, music file names and device replies in, Shift-JIS
// (code page 932) for the settings file's own names, UTF-8 for the paths the
// program names itself; and conversions between a code page and UTF-16. A
// byte scan alone is wrong in a double-byte code page: the trail byte of a
// character may have the value of a backslash, of ']' or of an ASCII letter.
#pragma once
#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code pages as the system numbers them.
constexpr unsigned kAnsiCodePage = 0;      // the system's ANSI code page: 1252 in the West, 932 in Japan, 936 in China
constexpr unsigned kUtf8CodePage = 65001;  // the texts of our own sources, and the paths the program names itself

// Which bytes of a code page start a double-byte character. Code pages
// without lead bytes are walked byte by byte: right for the single-byte ones
// (1252 and the like) and for UTF-8, whose multi-byte characters hold no
// ASCII byte.
class CodePage {
public:
    // The built-in tables of the double-byte ANSI code pages: 932 (Japanese),
    // 936 (Simplified Chinese), 949 (Korean) and 950 (Traditional Chinese).
    // Any other number is walked byte by byte.
    static CodePage Numbered(unsigned number);
    // The system's own table: pairs of first and last lead byte, as
    // GetCPInfo gives them (up to the first 0, 0 pair).
    static CodePage WithLeadRanges(unsigned number, const unsigned char* ranges, std::size_t rangeBytes);

    unsigned Number() const { return number_; }
    bool IsLeadByte(unsigned char byte) const { return lead_[byte]; }
    // Length in bytes (1 or 2) of the character that starts at `at`
    // (< text.size()). A lead byte takes the next byte with it whatever that
    // byte is, as the system's multi-byte conversion does, unless there is
    // none or it is NUL; a lead byte at the end of the text is a character of
    // its own.
    std::size_t CharLength(std::string_view text, std::size_t at) const {
        return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() && text[at + 1] != '\0' ? 2 : 1;
    }

private:
    unsigned number_ = 0;
    std::bitset<256> lead_;
};

// The code pages the program writes in itself: the settings file's names
// (932) and the paths it names itself (UTF-8, walked byte by byte).
const CodePage& ShiftJis();
const CodePage& Utf8();

// The system's ANSI code page as the portable code sees it: how its text is
// walked, and how a path spelled in it reads in UTF-8, the form the file
// access takes paths in. The Windows build's is SystemAnsiText(); tests make
// their own.
struct AnsiText {
    CodePage codePage;
    std::string (*toUtf8)(std::string_view ansi) = nullptr;
};

// The system's ANSI code page, read once from the system, and its AnsiText.
// Windows builds only (code_page_win32.cpp).
const CodePage& SystemAnsiCodePage();
const AnsiText& SystemAnsiText();

// ASCII letters fold to upper case; every other byte, double-byte characters
// included, compares as it is.
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equality that ignores the case of ASCII letters outside double-byte
// characters of code page cp; other bytes compare exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b, const CodePage& cp);

// text as a C string takes it: up to, not including, its first NUL.
constexpr std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// The first n characters of text in code page cp (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view text, std::size_t n, const CodePage& cp);
// The last n characters of text in code page cp (all of it when it has fewer).
std::string_view LastCharacters(std::string_view text, std::size_t n, const CodePage& cp);

// ASCII letters upper-cased; double-byte characters are left as they are.
std::string UpperCased(std::string_view text, const CodePage& cp);

// True when word (upper-case ASCII) occurs in UpperCased(text) starting on a
// character boundary, so a trail byte never takes part in a match.
bool ContainsUpperCased(std::string_view text, std::string_view word, const CodePage& cp);

// text in codePage converted to UTF-16, and back, by the system's tables;
// "" when the system cannot convert it. Windows builds only
// (code_page_win32.cpp).
std::wstring ToUtf16(std::string_view text, unsigned codePage);
std::string FromUtf16(std::wstring_view text, unsigned codePage);
// text spelled exactly in the system's ANSI code page, or nothing when it
// has no exact spelling there (a character the code page lacks). Windows
// builds only.
std::optional<std::string> ExactlyInAnsiCodePage(std::wstring_view text);
