#include "path_parts.h"

#include "code_page.h"

namespace {
// Offset just past the last single-byte character of text that is one of
// `separators`; 0 when there is none.
std::size_t EndOfLastSeparator(std::string_view text, std::string_view separators, const CodePage& cp) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp.CharLength(text, i);
        if (length == 1 && separators.find(text[i]) != std::string_view::npos) end = i + 1;
        i += length;
    }
    return end;
}
}  // namespace

std::string_view WithoutTrailingBackslash(std::string_view path, const CodePage& cp) {
    return EndsWithBackslash(path, cp) ? path.substr(0, path.size() - 1) : path;
}

bool EndsWithBackslash(std::string_view path, const CodePage& cp) {
    return !path.empty() && path.back() == '\\' && EndOfLastSeparator(path, "\\", cp) == path.size();
}

std::string FolderOf(std::string_view path, const CodePage& cp) {
    // Any length: a 16-bit count would fail on paths over 32767 characters,
    // a limit of a type rather than a rule anyone relies on.
    return std::string(WithoutTrailingBackslash(path.substr(0, EndOfLastSeparator(path, ":\\", cp)), cp));
}
