// The profile (INI) file format over raw bytes in the ANSI code page, read the
// way GetPrivateProfileStringA reads it and edited the way
// WritePrivateProfileStringA edits it. The launcher uses its own codec rather
// than the profile functions so that it controls the bytes it writes (Wine's
// writer drops the blank of " 2") and can save by replacing the whole file.
//
// Reading, for the one section/key lookup the launcher makes:
// - Lines end at CR LF, LF or a lone CR; a double-byte character never hides
//   a line end.
// - Blanks are space, tab, VT, FF and Ctrl-Z.
// - A line whose first non-blank character is '[' and which has a ']' is a
//   section header; the name is what lies between '[' and the last ']',
//   without surrounding blanks.
// - Any other non-blank line is an entry: the key is what precedes the first
//   '=', the value what follows it, both without surrounding blanks. A line
//   without '=' (a comment, say) is a key without a value: it reads as "".
// - Section names and keys match ignoring the case of ASCII letters only;
//   double-byte characters compare byte for byte (see code_page.h). The names
//   asked for are trimmed of blanks too.
// - Only the first section of the name is searched, and its first entry with
//   the key wins.
// - A value is a C string to the caller: it ends at a NUL byte. One pair of
//   matching quotes (" or ') around the whole value is removed.
// - The result is cut to bufferSize - 1 bytes by byte count, as the ANSI
//   function copies bytes: a double-byte character across the cut keeps its
//   lead byte only. (Wine converts through UTF-16 and drops the whole
//   character instead.)
// - Whatever is missing (file bytes empty, section, key) gives "".
//
// Writing changes the fewest bytes: an existing value is replaced after its
// '=' (the line's key spelling, the blanks before '=' and its line end are
// kept; a key without '=' gets one, after a blank when its text ends in a
// lone lead byte that would take the '=' as its trail byte); a new key goes
// after the last non-blank line of its section; a new section is appended at
// the end of the file. Every other byte survives. New
// lines use the file's own line end (the first one found; CR LF for a new
// file).
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What GetPrivateProfileStringA(section, key, "", buffer, bufferSize, ...)
// leaves in the buffer, up to its terminating NUL, for a file holding `file`.
std::string IniGetString(std::string_view file, std::string_view section, std::string_view key, std::size_t bufferSize);

// The bytes of the file after setting section/key to value, starting from
// `file` (empty for a file that does not exist yet). Nothing when the edit is
// refused, which leaves the file as it is:
// - an empty section or key (after cutting at NUL and trimming blanks);
// - a CR or LF in any of the three, a ']' in the section, an '=' in the key
//   or a key starting with '[': each would write a line that reads back as
//   something else;
// - a section or key ending in a lone lead byte, which would swallow the
//   following ']' or '=' on reading;
// - a file starting with a UTF-16 byte-order mark, whose text is not ANSI.
std::optional<std::string> IniSetString(std::string_view file, std::string_view section, std::string_view key,
                                        std::string_view value);
