// Emptying and removing the scratch folder at the end of a run, without a
// race. Any account may make C:\q_vesk, so another one could swap the folder,
// or a file in it, for a link between a check by name and a delete by name,
// and have the saver delete elsewhere with its user's rights. So every check
// and every delete goes through one handle: the folder is held open (no
// delete sharing: it cannot be renamed, replaced or removed meanwhile) from
// the first check to its own removal, and each file is checked and deleted
// through the handle it was opened with, never following a link.
#pragma once
#include <string>
#include <vector>

// What an open handle really names.
struct HandleFacts {
    bool link = false;    // a link, junction or other reparse point itself
    bool folder = false;  // a folder (or a link to one)
    // Its path with every link resolved ("\\?\" may lead it); "" when the
    // system cannot tell.
    std::string finalPath;
};

// The steps of ClearScratchFolder, one system call or so each. One folder is
// held at a time, and in it one entry is open at a time. Paths and names are
// UTF-8, as the file access takes them, so that every name can be reached.
class ScratchFolderAccess {
public:
    virtual ~ScratchFolderAccess() = default;
    // Opens the folder itself, never what a link there leads to, and holds it
    // until ReleaseFolder so that nobody else can rename, replace or delete it.
    virtual bool HoldFolder(const std::string& path) = 0;
    virtual HandleFacts HeldFolderFacts() = 0;
    // The names directly in the held folder, "." and ".." left out.
    virtual std::vector<std::string> HeldFolderNames() = 0;
    // Opens the entry `name` of the held folder for deleting, never what a
    // link there leads to.
    virtual bool OpenEntry(const std::string& name) = 0;
    virtual HandleFacts EntryFacts() = 0;
    // Deletes the open entry, the very one EntryFacts described.
    virtual bool DeleteEntry() = 0;
    virtual void CloseEntry() = 0;
    // Deletes the held folder itself; fails when anything is left in it.
    virtual bool DeleteHeldFolder() = 0;
    virtual void ReleaseFolder() = 0;
};

// The real file system: Windows in the shipped program, a POSIX stand-in
// natively (where nothing stops a rename of a held folder; it goes on in the
// folder it holds, wherever that went).
ScratchFolderAccess& SystemScratchFolderAccess();

struct ScratchCleanup {
    int deleted = 0;             // files deleted
    bool folderRemoved = false;  // the folder itself is gone
};

// Deletes every plain file directly in `folder`, then the folder if that
// left it empty. Does nothing unless the held folder is no link and its final
// path is `folder` itself (ASCII case and '/' for '\' aside); skips every
// entry that is a link, a folder, or whose final path is not the held folder
// followed by its name (a link presented as a plain file, as Wine does). A
// failed step is skipped, as the run's clean-up always is; so is the rest
// when memory runs out.
ScratchCleanup ClearScratchFolder(ScratchFolderAccess& access, const std::string& folder) noexcept;
