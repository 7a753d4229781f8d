// The code page conversions on the system's tables.
#include <windows.h>

#include <climits>
#include <optional>

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

const CodePage& SystemAnsiCodePage() {
    static const CodePage ansi = [] {
        CPINFO info = {};
        if (!GetCPInfo(CP_ACP, &info)) return CodePage::Numbered(GetACP());
        return CodePage::WithLeadRanges(GetACP(), info.LeadByte, sizeof info.LeadByte);
    }();
    return ansi;
}

const AnsiText& SystemAnsiText() {
    static const AnsiText ansi{SystemAnsiCodePage(),
                               [](std::string_view text) { return FromUtf16(ToUtf16(text, CP_ACP), CP_UTF8); }};
    return ansi;
}

std::optional<std::string> ExactlyInAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX) return std::nullopt;
    const int length = static_cast<int>(text.size());
    // No best fit: Windows would otherwise spell ö as o, a different file.
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), n, nullptr, &lossy);
    // A character the table lacks may still come back as something else
    // without being reported: only a round trip proves the spelling exact.
    if (lossy || ToUtf16(bytes, CP_ACP) != text) return std::nullopt;
    return bytes;
}
