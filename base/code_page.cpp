#include "code_page.h"

#include <vector>

namespace {
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Byte length of the character starting at i; a lead byte at the very end
// counts as a character of its own.
std::size_t CharacterLength(std::string_view text, std::size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}
}  // namespace

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view LastCharacters(std::string_view text, std::size_t n) {
    if (n == 0) return text.substr(text.size());
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) starts.push_back(i);
    if (starts.size() <= n) return text;
    return text.substr(starts[starts.size() - n]);
}

std::string UpperCased(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += CharacterLength(out, i)) out[i] = UpperAscii(out[i]);
    return out;
}

bool ContainsUpperCased(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); i += CharacterLength(text, i)) {
        // word is ASCII and ASCII bytes are never lead bytes, so a byte-wise
        // match from a boundary is a match of whole characters.
        std::size_t j = 0;
        while (j < word.size() && UpperAscii(text[i + j]) == word[j]) ++j;
        if (j == word.size()) return true;
    }
    return false;
}
