// Program services of the form engine: arguments, folders, files, programs,
// the message box, screen units and the mouse pointer.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace forms {

// The title every message box of the program carries.
extern const wchar_t* const kApplicationTitle;

// The command line without the program's own path and the blanks after it.
std::string ArgumentsText();
std::string ArgumentsTextOf(const char* commandLine);
// The folder that holds the program, without a trailing backslash, in UTF-8
// as the file access takes paths.
std::string ProgramFolder();

// Ends the process at once: no form handler runs after it.
[[noreturn]] void End();

// Modal, OK only, titled with the application title. Wide, so the text reads
// right whatever the system code page is.
void MessageBoxOk(const std::wstring& text);
// The same over an owner window, with the warning icon.
void MessageBoxWarning(HWND owner, const std::wstring& text);

// A file's path as the ANSI calls and the settings file can name it: spelled
// exactly in the system's ANSI code page, or else its short (8.3) path, in at
// most maxBytes bytes; nothing when neither exists (short names turned off
// on its volume), so that no '?' ever stands in for a character.
std::optional<std::string> AnsiPathOf(const std::wstring& path, std::size_t maxBytes);
// An ANSI path as a person reads it: its long form where it names a file
// (a stored short path shows its real name), else as it is.
std::wstring LongNameOf(const std::string& ansiPath);

// Starts a program (a UTF-8 path) without waiting, with no command-line
// arguments, in a normal activated window. The process handle is handed to the caller (close
// it with CloseHandle); null when it could not be started.
HANDLE StartProgram(const std::string& path);

// The scratch folder's chores; its path is plain ASCII.
bool CreateFolder(const std::string& path);

// The screen's twips per pixel (15 at 96 dots per inch, 10 at 144), asked of
// the screen at each call; a form reads it once, at its load.
float TwipsPerPixelX();
float TwipsPerPixelY();

enum class MousePointer { Default, Hourglass };
void SetMousePointer(MousePointer pointer);
MousePointer GetMousePointer();

// The bytes of an RCDATA resource of the program (design data); empty when
// there is none.
std::vector<std::uint8_t> ResourceBytes(int id);

// UTF-8 source text to UTF-16 for the wide APIs.
std::wstring Widen(const char* utf8);

}  // namespace forms
