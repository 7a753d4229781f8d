#include "app_win32.h"

#include <vector>

#include "code_page.h"
#include "file_access.h"
#include "path_parts.h"
#include "twips.h"

namespace forms {

const wchar_t* const kApplicationTitle = L"Velmora";

namespace {
MousePointer currentPointer = MousePointer::Default;

float ScreenTwipsPerPixel(int axis) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, axis) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return ::TwipsPerPixel(dpi);
}
}  // namespace

std::string ArgumentsTextOf(const char* commandLine) {
    if (!commandLine) return {};
    const char* p = commandLine;
    // The program path: quoted, or up to the first blank.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

std::string ArgumentsText() { return ArgumentsTextOf(GetCommandLineA()); }

std::string ProgramFolder() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return FolderOf(std::string_view(path.data(), n));
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

void End() { ExitProcess(0); }

void MessageBoxOk(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK); }

HANDLE StartProgram(const std::string& path) {
    // The path is the application name, never parsed from a command line, so a
    // blank in a folder name cannot make Windows try "C:\Program.exe" first.
    // The command line holds only the quoted path: no arguments.
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    const std::string folder = FolderOf(path);
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

bool CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveEmptyFolder(const std::string& path) {
    if (SystemFileAccess().IsReparsePoint(path)) return false;
    return RemoveDirectoryA(path.c_str()) != 0;
}

namespace {
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

// The path a handle really names, with links resolved; empty when the system
// cannot say (before Vista there are no file links to resolve).
std::string FinalPath(const std::string& path) {
    static const auto finalPath = reinterpret_cast<FinalPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (!finalPath) return {};
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = finalPath(handle, buffer, sizeof buffer, 0 /* normalised, DOS volume */);
    CloseHandle(handle);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

bool IsLink(const std::string& path) {
    if (SystemFileAccess().IsReparsePoint(path)) return true;
    const std::string file = FinalPath(path);
    const std::string folder = FinalPath(FolderOf(path));
    if (file.empty() || folder.empty()) return false;
    const std::string expected = folder + path.substr(FolderOf(path).size());
    return lstrcmpiA(file.c_str(), expected.c_str()) != 0;
}

int DeleteFiles(const std::string& pattern) {
    const std::string folder = FolderOf(pattern);
    // A linked folder would send the deletes somewhere else.
    if (!folder.empty() && SystemFileAccess().IsReparsePoint(folder)) return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int deleted = 0;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::string file = folder.empty() ? found.cFileName : folder + "\\" + found.cFileName;
        // Deleting a link could delete what it points to (Wine does): leave it.
        if (IsLink(file)) continue;
        if (DeleteFileA(file.c_str())) ++deleted;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return deleted;
}

float TwipsPerPixelX() { return ScreenTwipsPerPixel(LOGPIXELSX); }
float TwipsPerPixelY() { return ScreenTwipsPerPixel(LOGPIXELSY); }

void SetMousePointer(MousePointer pointer) {
    currentPointer = pointer;
    // Show it now; every window of ours answers WM_SETCURSOR with it from
    // then on, so the next mouse move keeps it. Going back to the default,
    // the window under the pointer picks its own cursor again, as on a move.
    POINT at = {};
    HWND under = GetCursorPos(&at) ? WindowFromPoint(at) : nullptr;
    if (pointer == MousePointer::Default && under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
        const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
        return;
    }
    SetCursor(LoadCursorA(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

MousePointer GetMousePointer() { return currentPointer; }

std::vector<std::uint8_t> ResourceBytes(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, found));
}

std::wstring Widen(const char* utf8) { return utf8 ? ToUtf16(utf8, kUtf8CodePage) : std::wstring(); }

}  // namespace forms
