// The file operations on the Windows file API: UTF-8 paths, through the wide
// functions, so that every name Windows allows can be reached.
#include <windows.h>

#include <algorithm>

#include "code_page.h"
#include "file_access.h"

namespace {
std::wstring Wide(const std::string& path) { return ToUtf16(path, kUtf8CodePage); }

// One ReadFile or WriteFile moves at most this much, well inside a DWORD.
constexpr std::size_t kMaxChunk = 0x10000000;

// Owns one file handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closes now so that a failing close can be seen.
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

// Read access, sharing reading and writing with others, as a reader that
// must not disturb anybody opens it. A folder fails: no backup semantics.
// The music file may name a removable drive with no disc in it: that must
// fail quietly, without the system's "no disk" box.
HANDLE OpenForReading(const std::string& path) {
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    SetErrorMode(oldMode);
    SetLastError(error);
    return file;
}

class Win32FileAccess final : public FileAccess {
public:
    FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override {
        lastError_ = 0;
        bytes.clear();
        Handle file(OpenForReading(path));
        if (!file.valid()) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                                  : Failing(FileRead::Failed);
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return Failing(FileRead::Failed);
        if (static_cast<ULONGLONG>(size.QuadPart) > maxBytes) return FileRead::TooLarge;
        // Read until the end, but never past one byte over the limit: the
        // file may change size while it is read.
        std::string buffer(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
        std::size_t got = 0;
        while (got <= maxBytes) {
            if (got == buffer.size()) buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
            DWORD n = 0;
            const std::size_t want = std::min<std::size_t>(buffer.size() - got, kMaxChunk);
            if (!ReadFile(file.get(), buffer.data() + got, static_cast<DWORD>(want), &n, nullptr))
                return Failing(FileRead::Failed);
            if (n == 0) break;
            got += n;
        }
        if (got > maxBytes) return FileRead::TooLarge;
        buffer.resize(got);
        bytes = std::move(buffer);
        return FileRead::Ok;
    }

    bool CanOpenForReading(const std::string& path) override {
        lastError_ = 0;
        const HANDLE file = OpenForReading(path);
        const bool opened = file != INVALID_HANDLE_VALUE;
        if (opened) CloseHandle(file);  // a failed close changes nothing for the caller
        SetLastError(ERROR_SUCCESS);    // nor does the error of a failed open
        return opened;
    }

    bool IsReparsePoint(const std::string& path) override {
        lastError_ = 0;
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    NewFile WriteNewFile(const std::string& path, std::string_view bytes) override {
        lastError_ = 0;
        // CREATE_NEW refuses any name that exists, links included. No
        // sharing: nobody writes into the file while it is ours.
        Handle file(
            CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return Failing(NewFile::NotCreated);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t want = std::min<std::size_t>(bytes.size() - done, kMaxChunk);
            DWORD n = 0;
            if (!WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(want), &n, nullptr) || n == 0)
                return Failing(NewFile::Failed);
            done += n;
        }
        if (!FlushFileBuffers(file.get())) return Failing(NewFile::Failed);
        return file.Close() ? NewFile::Written : Failing(NewFile::Failed);
    }

    bool MoveReplacing(const std::string& from, const std::string& to) override {
        lastError_ = 0;
        // A rename within one folder: atomic on the file systems Windows
        // writes to; WRITE_THROUGH returns only once it is on the disk.
        return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                   0 ||
               Failing(false);
    }

    void Remove(const std::string& path) override { DeleteFileW(Wide(path).c_str()); }

    std::uint32_t LastError() override { return lastError_; }

private:
    // Keeps the system's reason for a failure, and passes the result on.
    template <typename Result>
    Result Failing(Result result) {
        lastError_ = GetLastError();
        return result;
    }

    DWORD lastError_ = 0;
};
}  // namespace

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

FileAccess& SystemFileAccess() {
    static Win32FileAccess files;
    return files;
}
