// The file operations the settings need, behind an interface so that the
// rules above them run natively in tests. The shipped program uses the
// Windows implementation (settings_file_win32.cpp); the native build has a
// POSIX stand-in (settings_file_posix.cpp).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The settings file holds a few short lines. Anything larger is not ours:
// it reads as if it were empty and is never rewritten, so a big foreign file
// is neither loaded whole into memory nor destroyed.
constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

enum class FileRead {
    Ok,        // bytes holds the whole file
    Missing,   // no such file (or folder on the way to it)
    TooLarge,  // larger than the limit asked for; bytes is empty
    Failed,    // exists but cannot be read (a folder, no access, an I/O error)
};

class FileAccess {
public:
    virtual ~FileAccess() = default;
    // Reads the whole file if it holds at most maxBytes bytes.
    virtual FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) = 0;
    // True when the file can be opened for reading (a folder cannot).
    virtual bool CanOpenForReading(const std::string& path) = 0;

    // The steps of ReplaceFileAtomically, one system call or so each.
    // Creates or truncates the file, writes all bytes and flushes them to the
    // disk; false on any failure, which may leave part of the file written.
    virtual bool WriteAndFlush(const std::string& path, std::string_view bytes) = 0;
    // Renames from over to in one step, replacing an existing `to`.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
};

// The temporary file a save writes before it takes the place of path. It
// lies in the same folder, so that the rename stays on one volume.
std::string TemporaryPathFor(const std::string& path);

// Puts bytes into path so that the file on disk is always either the old one
// or the new one: write a temporary file beside it, flush it, rename it over
// the old one. On failure the old file is untouched and the temporary file is
// removed.
bool ReplaceFileAtomically(FileAccess& files, const std::string& path, std::string_view bytes);

// The real file system: Windows in the shipped program, POSIX natively (where
// a backslash in a path counts as a separator, for tests with real files).
FileAccess& SystemFileAccess();

// True exactly when the named file can be opened for reading. One trailing
// backslash is dropped first, so a file named with one is found, while a
// folder never is. Never fails in any other way; a path holding a NUL is
// taken as naming no file.
bool FileExists(FileAccess& files, std::string_view path);
