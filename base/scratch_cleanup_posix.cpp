// POSIX stand-in for the scratch folder's clean-up steps, for the native tests
// (Linux: O_PATH and /proc/self/fd). POSIX has no share modes and deletes only
// by name, so a held folder can still be renamed, and a delete checks just
// before that the name still leads to the open entry.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scratch_cleanup.h"

namespace {
std::string Native(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

HandleFacts FactsOf(int fd) {
    HandleFacts facts;
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        facts.link = true;  // unknown: taken as the worst
        return facts;
    }
    facts.link = S_ISLNK(info.st_mode);
    facts.folder = S_ISDIR(info.st_mode);
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof path) facts.finalPath.assign(path, static_cast<std::size_t>(n));
    return facts;
}

// True when `name` in folder `at` still is the object open as `fd`.
bool StillNames(int at, const std::string& name, int fd) {
    struct stat now {};
    struct stat opened {};
    return ::fstatat(at, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &opened) == 0 &&
           now.st_dev == opened.st_dev && now.st_ino == opened.st_ino;
}

class PosixScratchFolderAccess final : public ScratchFolderAccess {
public:
    bool HoldFolder(const std::string& path) override {
        const std::string native = Native(path);
        const std::size_t slash = native.find_last_of('/');
        name_ = slash == std::string::npos ? native : native.substr(slash + 1);
        const std::string parent = slash == std::string::npos ? "." : native.substr(0, slash + (slash == 0));
        parent_ = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        held_ = ::openat(parent_, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (held_ < 0) Close(parent_);
        return held_ >= 0;
    }

    HandleFacts HeldFolderFacts() override { return FactsOf(held_); }

    std::vector<std::string> HeldFolderNames() override {
        std::vector<std::string> names;
        DIR* dir = ::fdopendir(::dup(held_));
        if (!dir) return names;
        ::rewinddir(dir);
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    bool OpenEntry(const std::string& name) override {
        entry_ = ::openat(held_, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        entryName_ = name;
        return entry_ >= 0;
    }

    HandleFacts EntryFacts() override { return FactsOf(entry_); }

    bool DeleteEntry() override {
        return StillNames(held_, entryName_, entry_) && ::unlinkat(held_, entryName_.c_str(), 0) == 0;
    }

    void CloseEntry() override { Close(entry_); }

    bool DeleteHeldFolder() override {
        return StillNames(parent_, name_, held_) && ::unlinkat(parent_, name_.c_str(), AT_REMOVEDIR) == 0;
    }

    void ReleaseFolder() override {
        Close(held_);
        Close(parent_);
    }

private:
    std::string name_, entryName_;
    int parent_ = -1, held_ = -1, entry_ = -1;
};
}  // namespace

ScratchFolderAccess& SystemScratchFolderAccess() {
    static PosixScratchFolderAccess access;
    return access;
}
