#include "app_win32.h"

#include <vector>

#include "code_page.h"
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
