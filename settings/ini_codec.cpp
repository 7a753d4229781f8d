#include "ini_codec.h"

#include "code_page.h"

namespace {
// Blanks trimmed around names and values. Ctrl-Z counts too: old editors
// left it at the end of text files.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }
constexpr bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// One line of the file: [start, end) is its text, [end, next) its line end
// (empty for a last line without one).
struct LineSpan {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

LineSpan LineAt(std::string_view file, std::size_t start) {
    LineSpan line{start, start, start};
    while (line.end < file.size() && !IsLineEnd(file[line.end])) ++line.end;
    line.next = line.end;
    if (line.next < file.size() && file[line.next] == '\r') ++line.next;
    if (line.next < file.size() && file[line.next] == '\n') ++line.next;
    return line;
}

enum class LineKind { Blank, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;    // section name or key
    std::string_view value;   // entries: the value without surrounding blanks
    bool hasEquals = false;   // entries: false for a bare key, which has no value
    std::size_t keyEnd = 0;   // entries: offset in the line just after the key
    std::size_t valueAt = 0;  // entries with '=': offset in the line just after it
};

// Offset of the first single-byte character c in text[from, to), or `to`.
std::size_t FindChar(std::string_view text, std::size_t from, std::size_t to, char c) {
    for (std::size_t i = from; i < to; i += ShiftJis().CharLength(text, i))
        if (text[i] == c) return i;
    return to;
}

// Offset of the last single-byte character c in text[from, to), or `to`.
std::size_t FindLastChar(std::string_view text, std::size_t from, std::size_t to, char c) {
    std::size_t found = to;
    for (std::size_t i = from; i < to; i += ShiftJis().CharLength(text, i))
        if (text[i] == c) found = i;
    return found;
}

// End of the last non-blank character in text[from, to); `from` when none.
// Walks forward because a trail byte is only known as one from its lead.
std::size_t EndOfLastNonBlank(std::string_view text, std::size_t from, std::size_t to) {
    std::size_t last = from;
    for (std::size_t i = from; i < to;) {
        const std::size_t length = ShiftJis().CharLength(text, i);
        if (length == 2 || !IsBlank(text[i])) last = i + length;
        i += length;
    }
    return last;
}

std::size_t StartOfFirstNonBlank(std::string_view text, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(text[from])) ++from;
    return from;
}

// text[from, to) without the blanks around it.
std::string_view Trimmed(std::string_view text, std::size_t from, std::size_t to) {
    from = StartOfFirstNonBlank(text, from, to);
    return text.substr(from, EndOfLastNonBlank(text, from, to) - from);
}

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    const std::size_t first = StartOfFirstNonBlank(text, 0, text.size());
    if (first == text.size()) return parsed;
    const std::size_t last = EndOfLastNonBlank(text, first, text.size());

    if (text[first] == '[') {
        const std::size_t close = FindLastChar(text, first + 1, last, ']');
        if (close < last) {
            parsed.kind = LineKind::Header;
            parsed.name = UpToNul(Trimmed(text, first + 1, close));
            return parsed;
        }
    }
    parsed.kind = LineKind::Entry;
    const std::size_t equals = FindChar(text, first, last, '=');
    parsed.keyEnd = EndOfLastNonBlank(text, first, equals);
    parsed.name = UpToNul(text.substr(first, parsed.keyEnd - first));
    if (equals == last) return parsed;
    parsed.hasEquals = true;
    parsed.valueAt = equals + 1;
    parsed.value = Trimmed(text, parsed.valueAt, last);
    return parsed;
}

// A name as the profile functions take it: a C string without surrounding blanks.
std::string_view NormaliseName(std::string_view name) {
    name = UpToNul(name);
    return Trimmed(name, 0, name.size());
}

// The section's place in the file, and the entry's if it is there.
struct Lookup {
    bool sectionFound = false;
    LineSpan lastContent;  // the section's last non-blank line, its header at least
    bool entryFound = false;
    LineSpan entry;
    ParsedLine entryParsed;
};

Lookup Find(std::string_view file, std::string_view section, std::string_view key) {
    Lookup found;
    bool inSection = false;
    for (std::size_t at = 0; at < file.size();) {
        const LineSpan line = LineAt(file, at);
        at = line.next;
        const ParsedLine parsed = ParseLine(file.substr(line.start, line.end - line.start));
        if (parsed.kind == LineKind::Header) {
            if (found.sectionFound) break;  // later sections of the same name are not searched
            inSection = EqualsIgnoringAsciiCase(parsed.name, section, ShiftJis());
            if (inSection) {
                found.sectionFound = true;
                found.lastContent = line;
            }
            continue;
        }
        if (!inSection || parsed.kind == LineKind::Blank) continue;
        found.lastContent = line;
        if (!found.entryFound && EqualsIgnoringAsciiCase(parsed.name, key, ShiftJis())) {
            found.entryFound = true;
            found.entry = line;
            found.entryParsed = parsed;
        }
    }
    return found;
}

std::string_view StripOnePairOfQuotes(std::string_view value) {
    if (value.size() < 2 || (value[0] != '"' && value[0] != '\'')) return value;
    std::size_t last = 0;
    for (std::size_t i = 0; i < value.size(); i += ShiftJis().CharLength(value, i)) last = i;
    if (last == value.size() - 1 && value[last] == value[0]) return value.substr(1, value.size() - 2);
    return value;
}

bool HasLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool EndsInLoneLeadByte(std::string_view text) {
    if (text.empty()) return false;
    std::size_t i = 0, length = 0;
    while (i < text.size()) {
        length = ShiftJis().CharLength(text, i);
        i += length;
    }
    return length == 1 && ShiftJis().IsLeadByte(static_cast<unsigned char>(text.back()));
}

// The file's own line end: its first one; CR LF when it has none.
std::string_view LineEndOf(std::string_view file) {
    const std::size_t at = file.find_first_of("\r\n");
    if (at == std::string_view::npos) return "\r\n";
    if (file[at] == '\n') return "\n";
    if (at + 1 < file.size() && file[at + 1] == '\n') return "\r\n";
    return "\r";
}
}  // namespace

std::string IniGetString(std::string_view file, std::string_view section, std::string_view key,
                         std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    section = NormaliseName(section);
    key = NormaliseName(key);
    if (section.empty() || key.empty()) return {};
    const Lookup found = Find(file, section, key);
    if (!found.entryFound) return {};  // a bare key has no value either
    std::string_view value = StripOnePairOfQuotes(UpToNul(found.entryParsed.value));
    // A plain byte count, as the ANSI function copies: no regard for a
    // double-byte character across the cut.
    return std::string(value.substr(0, bufferSize - 1));
}

std::optional<std::string> IniSetString(std::string_view file, std::string_view section, std::string_view key,
                                        std::string_view value) {
    section = NormaliseName(section);
    key = NormaliseName(key);
    value = UpToNul(value);
    if (section.empty() || key.empty()) return std::nullopt;
    if (HasLineEnd(section) || HasLineEnd(key) || HasLineEnd(value)) return std::nullopt;
    if (FindChar(section, 0, section.size(), ']') != section.size()) return std::nullopt;
    if (FindChar(key, 0, key.size(), '=') != key.size() || key[0] == '[') return std::nullopt;
    if (EndsInLoneLeadByte(section) || EndsInLoneLeadByte(key)) return std::nullopt;
    if (file.size() >= 2 && ((file[0] == '\xFF' && file[1] == '\xFE') || (file[0] == '\xFE' && file[1] == '\xFF')))
        return std::nullopt;

    const std::string_view lineEnd = LineEndOf(file);
    const Lookup found = Find(file, section, key);
    std::string out;
    out.reserve(file.size() + section.size() + key.size() + value.size() + 8);

    if (found.entryFound) {
        const ParsedLine& entry = found.entryParsed;
        if (entry.hasEquals) {
            out.append(file.substr(0, found.entry.start + entry.valueAt));
        } else {
            // A bare key gets its '='. On a damaged line whose name ends at a
            // NUL, the key text may end in a lead byte left alone, which would
            // take a '=' right after it as its trail byte and hide it: a blank
            // goes between them.
            const std::string_view keyText = file.substr(found.entry.start, entry.keyEnd);
            out.append(file.substr(0, found.entry.start + entry.keyEnd));
            out.append(EndsInLoneLeadByte(keyText) ? " =" : "=");
        }
        out.append(value);
        out.append(file.substr(found.entry.end));
        return out;
    }

    std::string entry;
    entry.append(key).append("=").append(value).append(lineEnd);
    if (found.sectionFound) {
        const LineSpan& after = found.lastContent;
        out.append(file.substr(0, after.next));
        if (after.next == after.end) out.append(lineEnd);  // the file's last line had no line end
        out.append(entry);
        out.append(file.substr(after.next));
        return out;
    }

    out.append(file);
    if (!file.empty() && !IsLineEnd(file.back())) out.append(lineEnd);
    out.append("[").append(section).append("]").append(lineEnd);
    out.append(entry);
    return out;
}
