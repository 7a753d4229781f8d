#include "code_page.h"

#include <vector>

std::string_view FirstCharacters(std::string_view text, std::size_t n) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < text.size() && chars < n; ++chars) end += Cp932CharLength(text, end);
    return text.substr(0, end);
}

std::string_view LastCharacters(std::string_view text, std::size_t n) {
    if (n == 0) return text.substr(text.size());
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += Cp932CharLength(text, i)) starts.push_back(i);
    if (starts.size() <= n) return text;
    return text.substr(starts[starts.size() - n]);
}

std::string UpperCased(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += Cp932CharLength(out, i)) out[i] = AsciiUpper(out[i]);
    return out;
}

bool ContainsUpperCased(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); i += Cp932CharLength(text, i)) {
        // word is ASCII and ASCII bytes are never lead bytes, so a byte-wise
        // match from a boundary is a match of whole characters.
        std::size_t j = 0;
        while (j < word.size() && AsciiUpper(text[i + j]) == word[j]) ++j;
        if (j == word.size()) return true;
    }
    return false;
}
