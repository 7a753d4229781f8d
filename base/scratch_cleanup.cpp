#include "scratch_cleanup.h"

#include <new>
#include <string_view>

#include "code_page.h"

namespace {
// The system's final paths may carry the long-path lead "\\?\" ("\\?\UNC\"
// for a share), which the program's own paths never do.
std::string WithoutLongPathLead(std::string_view path) {
    if (path.starts_with("\\\\?\\UNC\\")) return "\\\\" + std::string(path.substr(8));
    if (path.starts_with("\\\\?\\")) path.remove_prefix(4);
    return std::string(path);
}

std::string WithBackslashes(std::string path) {
    // UTF-8: no byte of a character beyond ASCII has a separator's value.
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Both name one place: the same characters, ASCII case and either separator
// aside. An unknown final path names no place.
bool SamePlace(std::string_view finalPath, std::string_view path) {
    return !finalPath.empty() && EqualsIgnoringAsciiCase(WithBackslashes(WithoutLongPathLead(finalPath)),
                                                         WithBackslashes(std::string(path)), Utf8());
}

// One component: no separator, no drive or stream colon, not "." or "..".
bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

// Calls one of the access's release steps when it goes out of scope.
class ReleaseStep {
public:
    ReleaseStep(ScratchFolderAccess& access, void (ScratchFolderAccess::*step)()) : access_(access), step_(step) {}
    ~ReleaseStep() { (access_.*step_)(); }
    ReleaseStep(const ReleaseStep&) = delete;
    ReleaseStep& operator=(const ReleaseStep&) = delete;

private:
    ScratchFolderAccess& access_;
    void (ScratchFolderAccess::*step_)();
};

// Deletes the entry `name` of the held folder `held` when it is a plain file
// that lies there.
bool DeleteIfPlainFileOf(ScratchFolderAccess& access, const std::string& held, const std::string& name) {
    if (!IsPlainName(name) || !access.OpenEntry(name)) return false;
    const ReleaseStep close(access, &ScratchFolderAccess::CloseEntry);
    const HandleFacts facts = access.EntryFacts();
    if (facts.link || facts.folder || !SamePlace(facts.finalPath, held + "\\" + name)) return false;
    return access.DeleteEntry();
}
}  // namespace

ScratchCleanup ClearScratchFolder(ScratchFolderAccess& access, const std::string& folder) noexcept {
    ScratchCleanup done;
    try {
        if (!access.HoldFolder(folder)) return done;
        const ReleaseStep release(access, &ScratchFolderAccess::ReleaseFolder);
        const HandleFacts facts = access.HeldFolderFacts();
        if (facts.link || !facts.folder || !SamePlace(facts.finalPath, folder)) return done;
        const std::string held = WithoutLongPathLead(facts.finalPath);
        for (const std::string& name : access.HeldFolderNames())
            if (DeleteIfPlainFileOf(access, held, name)) ++done.deleted;
        done.folderRemoved = access.DeleteHeldFolder();
    } catch (const std::bad_alloc&) {
        // What is deleted stays deleted; the run ends all the same.
    }
    return done;
}
