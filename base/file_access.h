// The file operations of the program, behind an interface so that the rules
// above them run natively in tests, and the one way it replaces a file. The
// shipped program uses the Windows implementation (file_access_win32.cpp);
// the native build has a POSIX stand-in (file_access_posix.cpp). Paths are
// UTF-8, so that a folder whose name the system's ANSI code page cannot spell
// still works; a path stored in that code page (the music file) is turned
// into UTF-8 first (AnsiText in code_page.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class FileRead {
    Ok,        // bytes holds the whole file
    Missing,   // no such file (or folder on the way to it)
    TooLarge,  // larger than the limit asked for; bytes is empty
    Failed,    // exists but cannot be read (a folder, no access, an I/O error)
};

enum class NewFile {
    Written,     // made, written whole, flushed to the disk and closed
    NotCreated,  // the name exists (a file, a folder, a link) or cannot be made: nothing of ours lies there
    Failed,      // made, but a write, the flush or the close failed: part of it may lie there
};

class FileAccess {
public:
    virtual ~FileAccess() = default;
    // Reads the whole file if it holds at most maxBytes bytes.
    virtual FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) = 0;
    // True when the file can be opened for reading (a folder cannot).
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // True when the name itself is a link, junction or other reparse point.
    virtual bool IsReparsePoint(const std::string& path) = 0;

    // The steps of ReplaceFileAtomically, one system call or so each.
    // Makes a file under a name that does not exist yet, never opening what
    // lies there already (a link planted under the name is refused, not
    // followed), and puts bytes into it.
    virtual NewFile WriteNewFile(const std::string& path, std::string_view bytes) = 0;
    // Renames from over to in one step, replacing an existing `to`.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    // The system's code for why the last operation above failed, for a
    // message that names the reason; 0 when it succeeded or the system gave
    // no reason. Remove, a clean-up after a failure, leaves it as it was.
    virtual std::uint32_t LastError() = 0;
};

// The real file system: Windows in the shipped program, POSIX natively (where
// a backslash in a path counts as a separator, for tests with real files).
FileAccess& SystemFileAccess();
// This process's id, which no other running process shares.
std::uint32_t CurrentProcessId();

// The temporary file a replace writes before it takes the place of path:
// path + "." + this process's id + ".new". It lies in the same folder, so
// that the rename stays on one volume, and two processes never pick the same
// name.
std::string TemporaryPathFor(const std::string& path);

// Puts bytes into path so that the file on disk is always either the old one
// or the new one: make the temporary file under its fresh name, write and
// flush it, rename it over the old one. A folder that is a link or junction
// is refused, since it would send the file somewhere else; a link at the
// path itself is replaced, never written through. On failure the old file is
// untouched, and the temporary file is removed when it is ours.
bool ReplaceFileAtomically(FileAccess& files, const std::string& path, std::string_view bytes);

// True exactly when the named file can be opened for reading. One trailing
// backslash is dropped first, so a file named with one is found, while a
// folder never is. Never fails in any other way; a path holding a NUL is
// taken as naming no file.
bool FileExists(FileAccess& files, std::string_view path);
