#include "async_read.h"

#include <limits>

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// The length of the scheme before the ':' (0 when the path has none).
std::size_t SchemeLength(std::string_view path) {
    if (path.empty() || !IsLetter(path[0])) return 0;
    std::size_t i = 1;
    while (i < path.size() &&
           (IsLetter(path[i]) || IsDigit(path[i]) || path[i] == '+' || path[i] == '-' || path[i] == '.'))
        ++i;
    return i < path.size() && path[i] == ':' ? i : 0;
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX escapes decoded; nothing for a broken escape or one that gives a
// control character.
std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        const char c = static_cast<char>(high * 16 + low);
        if (IsControl(c)) return std::nullopt;
        out += c;
        i += 2;
    }
    return out;
}

bool IsDrivePath(std::string_view path) { return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':'; }

// "file:" URLs: "file:///C:/x", "file://localhost/C:/x" and "file://server/share/x".
ReadTarget FileUrlTarget(std::string_view rest) {
    if (rest.substr(0, 2) != "//") return {};
    rest.remove_prefix(2);
    const auto decoded = PercentDecoded(rest);
    if (!decoded) return {};
    std::string path = *decoded;
    for (char& c : path)
        if (c == '/') c = '\\';
    const std::size_t slash = path.find('\\');
    const std::string_view host = std::string_view(path).substr(0, slash);
    std::string local = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    if (host.empty() || EqualsNoCase(host, "localhost")) {
        if (!IsDrivePath(local)) return {};
        return {ReadSource::File, local};
    }
    if (local.empty()) return {};
    return {ReadSource::File, "\\\\" + path};
}
}  // namespace

ReadTarget ClassifyReadPath(std::string_view path) {
    if (path.empty() || path.size() > kMaxReadPathBytes) return {};
    for (char c : path)
        if (IsControl(c)) return {};
    const std::size_t scheme = SchemeLength(path);
    if (scheme <= 1) return {ReadSource::File, std::string(path)};  // no scheme, or a drive letter
    const std::string_view name = path.substr(0, scheme), rest = path.substr(scheme + 1);
    if (EqualsNoCase(name, "http") || EqualsNoCase(name, "https")) {
        // A host must follow the "//".
        if (rest.size() < 3 || rest.substr(0, 2) != "//" || rest[2] == '/') return {};
        return {ReadSource::Http, std::string(path)};
    }
    if (EqualsNoCase(name, "file")) return FileUrlTarget(rest);
    return {};
}

CachePolicy CachePolicyFor(unsigned options) {
    if (options & kReadCacheIfNetFails) return {false, true, true};
    return {true, false, false};
}

std::optional<std::uint64_t> ParseContentLength(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        const unsigned digit = static_cast<unsigned>(c - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

bool ReadLedger::Announce(std::optional<std::uint64_t> length) {
    if (length && *length > cap_) return false;
    if (length) announced_ = static_cast<std::uint32_t>(*length);
    return true;
}

bool ReadLedger::Add(std::size_t n) {
    if (n > cap_ - received_) return false;
    received_ += static_cast<std::uint32_t>(n);
    return true;
}

ReadFault ReadLedger::AtEnd() const {
    if (!announced_ || received_ == *announced_) return ReadFault::None;
    return received_ < *announced_ ? ReadFault::Short : ReadFault::Long;
}
