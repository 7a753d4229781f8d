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
    // The wide name: the ANSI one of a folder such as C:\Users\Łukasz on a
    // Western system holds '?' and names nothing.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return FolderOf(FromUtf16(std::wstring_view(path.data(), n), kUtf8CodePage), Utf8());
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

void End() { ExitProcess(0); }

void MessageBoxOk(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK); }

void MessageBoxWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
}

std::optional<std::string> AnsiPathOf(const std::wstring& path, std::size_t maxBytes) {
    const auto fits = [maxBytes](const std::optional<std::string>& ansi) { return ansi && ansi->size() <= maxBytes; };
    if (auto exact = ExactlyInAnsiCodePage(path); fits(exact)) return exact;
    const DWORD need = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (need == 0) return std::nullopt;
    std::wstring shortPath(need, L'\0');
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), need);
    if (n == 0 || n >= need) return std::nullopt;
    shortPath.resize(n);
    // A volume without short names hands the long path back.
    if (auto exact = ExactlyInAnsiCodePage(shortPath); fits(exact)) return exact;
    return std::nullopt;
}

std::wstring LongNameOf(const std::string& ansiPath) {
    const std::wstring path = ToUtf16(ansiPath, kAnsiCodePage);
    const DWORD need = path.empty() ? 0 : GetLongPathNameW(path.c_str(), nullptr, 0);
    if (need == 0) return path;
    std::wstring longPath(need, L'\0');
    const DWORD n = GetLongPathNameW(path.c_str(), longPath.data(), need);
    if (n == 0 || n >= need) return path;
    longPath.resize(n);
    return longPath;
}

HANDLE StartProgram(const std::string& path) {
    // The path is the application name, never parsed from a command line, so a
    // blank in a folder name cannot make Windows try "C:\Program.exe" first.
    // The command line holds only the quoted path: no arguments.
    const std::wstring program = ToUtf16(path, kUtf8CodePage);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    const std::wstring folder = ToUtf16(FolderOf(path, Utf8()), kUtf8CodePage);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
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
