// In-memory file system, with links and failures on demand.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "code_page.h"
#include "file_access.h"

// The ANSI code page of a Japanese system, whose paths name files here by
// the same bytes (as they do in the fake and on POSIX).
inline const AnsiText& JapaneseAnsi() {
    static const AnsiText ansi{ShiftJis(), [](std::string_view text) { return std::string(text); }};
    return ansi;
}

class FakeFiles final : public FileAccess {
public:
    std::map<std::string, std::string> files;  // path -> bytes
    std::set<std::string> folders;             // paths that name a folder
    std::set<std::string> unreadable;          // files that exist but fail to read
    std::set<std::string> links;               // names that are links (to nothing here)
    bool writeFailsHalfway = false;            // WriteNewFile stores half, then fails
    bool moveFails = false;
    std::uint32_t failureCode = 0;  // what LastError answers after an operation that failed
    std::vector<std::string> log;   // "read p", "probe p", "probe link p", "write p", "move a > b", "remove p"

    FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    bool IsReparsePoint(const std::string& path) override;
    NewFile WriteNewFile(const std::string& path, std::string_view bytes) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    std::uint32_t LastError() override { return lastError_; }

    // Log entries that change the disk (write, move, remove).
    std::vector<std::string> Changes() const;

private:
    template <typename Result>
    Result Answer(Result result, bool failed) {
        lastError_ = failed ? failureCode : 0;
        return result;
    }
    std::uint32_t lastError_ = 0;
};
