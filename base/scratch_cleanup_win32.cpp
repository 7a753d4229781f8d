// The scratch folder's clean-up steps on the Windows file API: every check and
// delete goes through a handle opened with FILE_FLAG_OPEN_REPARSE_POINT.
#include <windows.h>

#include <string_view>

#include "code_page.h"
#include "scratch_cleanup.h"

namespace {
std::wstring Wide(const std::string& path) { return ToUtf16(path, kUtf8CodePage); }

constexpr DWORD kNoDeleteSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Backup semantics open folders too; the reparse flag opens a link itself.
constexpr DWORD kOpenItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

void Close(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

HandleFacts FactsOf(HANDLE handle) {
    HandleFacts facts;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) {
        facts.link = true;  // unknown: taken as the worst
        return facts;
    }
    facts.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD n = GetFinalPathNameByHandleW(handle, path, MAX_PATH * 2, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n > 0 && n < MAX_PATH * 2) facts.finalPath = FromUtf16(std::wstring_view(path, n), kUtf8CodePage);
    return facts;
}

// The delete goes to the file object behind the handle: whatever the name
// leads to by now, it is the one that was checked.
bool DeleteThrough(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

class Win32ScratchFolderAccess final : public ScratchFolderAccess {
public:
    bool HoldFolder(const std::string& path) override {
        // DELETE lets the folder go at the end through this same handle; a
        // folder we may not delete is still held, and its files still go.
        constexpr DWORD kRead = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        held_ = CreateFileW(Wide(path).c_str(), DELETE | kRead, kNoDeleteSharing, nullptr, OPEN_EXISTING, kOpenItself,
                            nullptr);
        if (held_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
            held_ =
                CreateFileW(Wide(path).c_str(), kRead, kNoDeleteSharing, nullptr, OPEN_EXISTING, kOpenItself, nullptr);
        path_ = path;
        return held_ != INVALID_HANDLE_VALUE;
    }

    HandleFacts HeldFolderFacts() override { return FactsOf(held_); }

    // Through the held handle: a search by name opens the folder once more,
    // and asks for delete sharing, which the hold refuses.
    std::vector<std::string> HeldFolderNames() override {
        std::vector<std::string> names;
        alignas(LONGLONG) unsigned char buffer[16384];
        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        while (GetFileInformationByHandleEx(held_, kind, buffer, sizeof buffer)) {
            kind = FileIdBothDirectoryInfo;
            for (std::size_t at = 0;;) {
                const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
                const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
                if (name != L"." && name != L"..") names.push_back(FromUtf16(name, kUtf8CodePage));
                if (entry->NextEntryOffset == 0) break;
                at += entry->NextEntryOffset;
            }
        }
        return names;
    }

    bool OpenEntry(const std::string& name) override {
        // No delete sharing: nobody renames it between the check and the delete.
        entry_ = CreateFileW(Wide(path_ + "\\" + name).c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             kNoDeleteSharing, nullptr, OPEN_EXISTING, kOpenItself, nullptr);
        return entry_ != INVALID_HANDLE_VALUE;
    }

    HandleFacts EntryFacts() override { return FactsOf(entry_); }
    bool DeleteEntry() override { return DeleteThrough(entry_); }
    void CloseEntry() override { Close(entry_); }
    bool DeleteHeldFolder() override { return DeleteThrough(held_); }
    void ReleaseFolder() override { Close(held_); }

private:
    std::string path_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
    HANDLE entry_ = INVALID_HANDLE_VALUE;
};
}  // namespace

ScratchFolderAccess& SystemScratchFolderAccess() {
    static Win32ScratchFolderAccess access;
    return access;
}
