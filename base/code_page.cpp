#include "code_page.h"

#include <utility>
#include <vector>

CodePage CodePage::Numbered(unsigned number) {
    // Lead-byte ranges of the double-byte ANSI code pages, as their system
    // tables give them.
    static constexpr unsigned char kCp932[] = {0x81, 0x9F, 0xE0, 0xFC};
    static constexpr unsigned char kWide[] = {0x81, 0xFE};  // 936, 949 and 950
    switch (number) {
    case 932: return WithLeadRanges(number, kCp932, sizeof kCp932);
    case 936:
    case 949:
    case 950: return WithLeadRanges(number, kWide, sizeof kWide);
    default: return WithLeadRanges(number, nullptr, 0);
    }
}

CodePage CodePage::WithLeadRanges(unsigned number, const unsigned char* ranges, std::size_t rangeBytes) {
    CodePage cp;
    cp.number_ = number;
    for (std::size_t i = 0; i + 1 < rangeBytes && (ranges[i] != 0 || ranges[i + 1] != 0); i += 2)
        for (unsigned byte = ranges[i]; byte <= ranges[i + 1]; ++byte) cp.lead_.set(byte);
    return cp;
}

const CodePage& ShiftJis() {
    static const CodePage cp = CodePage::Numbered(932);
    return cp;
}

const CodePage& Utf8() {
    static const CodePage cp = CodePage::Numbered(kUtf8CodePage);
    return cp;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b, const CodePage& cp) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t length = cp.CharLength(a, i);
        if (length != cp.CharLength(b, i)) return false;
        if (length == 2 ? a.substr(i, 2) != b.substr(i, 2) : AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
        i += length;
    }
    return true;
}

std::string_view FirstCharacters(std::string_view text, std::size_t n, const CodePage& cp) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < text.size() && chars < n; ++chars) end += cp.CharLength(text, end);
    return text.substr(0, end);
}

std::string_view LastCharacters(std::string_view text, std::size_t n, const CodePage& cp) {
    if (n == 0) return text.substr(text.size());
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += cp.CharLength(text, i)) starts.push_back(i);
    if (starts.size() <= n) return text;
    return text.substr(starts[starts.size() - n]);
}

std::string UpperCased(std::string_view text, const CodePage& cp) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += cp.CharLength(out, i)) out[i] = AsciiUpper(out[i]);
    return out;
}

bool ContainsUpperCased(std::string_view text, std::string_view word, const CodePage& cp) {
    for (std::size_t i = 0; i + word.size() <= text.size(); i += cp.CharLength(text, i)) {
        // word is ASCII and ASCII bytes are never lead bytes, so a byte-wise
        // match from a boundary is a match of whole characters.
        std::size_t j = 0;
        while (j < word.size() && AsciiUpper(text[i + j]) == word[j]) ++j;
        if (j == word.size()) return true;
    }
    return false;
}
