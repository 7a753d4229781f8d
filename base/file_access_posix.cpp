// POSIX stand-in for the Windows file layer, for the native build. Paths come
// in the Windows form the program builds ("<folder>\Velmora.ini"), so a
// backslash is taken as a separator here.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_access.h"

namespace {
std::string Native(const std::string& path) {
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now so that a failing close can be seen.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

class PosixFileAccess final : public FileAccess {
public:
    FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override {
        lastError_ = 0;
        bytes.clear();
        Fd file(::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : Failing(FileRead::Failed);
        struct stat info {};
        if (::fstat(file.get(), &info) != 0) return Failing(FileRead::Failed);
        if (!S_ISREG(info.st_mode)) return Failing(FileRead::Failed, EISDIR);
        if (static_cast<std::uint64_t>(info.st_size) > maxBytes) return FileRead::TooLarge;
        // Read until the end, but never past one byte over the limit: the
        // file may change size while it is read.
        std::string buffer(static_cast<std::size_t>(info.st_size) + 1, '\0');
        std::size_t got = 0;
        while (got <= maxBytes) {
            if (got == buffer.size()) buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
            const ssize_t n = ::read(file.get(), buffer.data() + got, buffer.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return Failing(FileRead::Failed);
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got > maxBytes) return FileRead::TooLarge;
        buffer.resize(got);
        bytes = std::move(buffer);
        return FileRead::Ok;
    }

    bool CanOpenForReading(const std::string& path) override {
        lastError_ = 0;
        Fd file(::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) return false;
        // Windows cannot open a folder as a file; POSIX can, so refuse it here.
        struct stat info {};
        return ::fstat(file.get(), &info) == 0 && !S_ISDIR(info.st_mode);
    }

    bool IsReparsePoint(const std::string& path) override {
        lastError_ = 0;
        struct stat info {};
        return ::lstat(Native(path).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }

    NewFile WriteNewFile(const std::string& path, std::string_view bytes) override {
        lastError_ = 0;
        // O_EXCL refuses any name that exists, a link included.
        Fd file(::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (file.get() < 0) return Failing(NewFile::NotCreated);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(file.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Failing(NewFile::Failed, n == 0 ? ENOSPC : errno);
            done += static_cast<std::size_t>(n);
        }
        if (::fsync(file.get()) != 0) return Failing(NewFile::Failed);
        return file.Close() ? NewFile::Written : Failing(NewFile::Failed);
    }

    bool MoveReplacing(const std::string& from, const std::string& to) override {
        lastError_ = 0;
        return std::rename(Native(from).c_str(), Native(to).c_str()) == 0 || Failing(false);
    }

    void Remove(const std::string& path) override { ::unlink(Native(path).c_str()); }

    std::uint32_t LastError() override { return static_cast<std::uint32_t>(lastError_); }

private:
    // Keeps errno (or the given code) as the reason, and passes the result on.
    template <typename Result>
    Result Failing(Result result, int code = errno) {
        lastError_ = code;
        return result;
    }

    int lastError_ = 0;
};
}  // namespace

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

FileAccess& SystemFileAccess() {
    static PosixFileAccess files;
    return files;
}
