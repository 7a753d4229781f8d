// The code page conversions on the system's tables.
#include <windows.h>

#include <climits>

#include "code_page.h"

static_assert(kAnsiCodePage == CP_ACP && kUtf8CodePage == CP_UTF8);

std::wstring ToUtf16(std::string_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n);
    return wide;
}

std::string FromUtf16(std::wstring_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), n, nullptr, nullptr);
    return bytes;
}
