// In-memory file system, with links and failures on demand.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "file_access.h"

class FakeFiles final : public FileAccess {
public:
    std::map<std::string, std::string> files;  // path -> bytes
    std::set<std::string> folders;             // paths that name a folder
    std::set<std::string> unreadable;          // files that exist but fail to read
    std::set<std::string> links;               // names that are links (to nothing here)
    bool writeFailsHalfway = false;            // WriteNewFile stores half, then fails
    bool moveFails = false;
    std::vector<std::string> log;  // "read p", "probe p", "probe link p", "write p", "move a > b", "remove p"

    FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    bool IsReparsePoint(const std::string& path) override;
    NewFile WriteNewFile(const std::string& path, std::string_view bytes) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;

    // Log entries that change the disk (write, move, remove).
    std::vector<std::string> Changes() const;
};
