// Test helper run under Wine beside the programs under test. Console program:
// Titles are given and printed in UTF-8 and looked up with the wide calls, so
// a test reads exactly the text a window carries under any ANSI code page.
//   window_tool find TITLE            one line of facts about FindWindowW(NULL, TITLE), exit 1 if none
//   window_tool all TITLE             one line of facts per top-level window with that title
//   window_tool foreground            one line of facts about the foreground window, exit 1 if none
//   window_tool wait TITLE MS [visible]  like find, once such a window exists (and is shown), polling
//                                  every 20 ms for at most MS milliseconds; exit 1 if none came
//   window_tool post TITLE MSG [W L]  PostMessageA to that window (numbers in C notation)
//   window_tool screen                primary screen size
//   window_tool mode W H [TITLE]      changes the primary display's mode (ChangeDisplaySettingsEx);
//                                  prints its result, 0 when it succeeded; with a TITLE, then how many
//                                  ms passed until that window was at 0,0 and W x H (-1: not in 5 s)
//   window_tool paper L T W H         a white always-on-top window at that screen rectangle standing in
//                                  for the user's documents; prints its handle, runs until killed
//   window_tool host W H [TITLE]      a visible top-level host window of that client size; prints its
//                                  handle, then runs until it is closed or killed
//   window_tool hold TITLE            a hidden top-level window with that title, until killed
//   window_tool text TITLE            the message text of the dialog box titled TITLE, as UTF-8
//   window_tool children HWND         one line of facts per child window of HWND
//   window_tool send HWND MSG [W L]   SendMessageA to that window; prints the result
//   (a host window posts WM_CLOSE to its children on WM_USER+1, and destroys
//    itself without a close request to them on WM_USER+2)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "probe_runner_win32.h"

namespace {
std::wstring Wide(const char* utf8) {
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    return wide;
}

std::string Utf8(const wchar_t* wide) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

HWND FindTitled(const char* title) { return FindWindowW(nullptr, Wide(title).c_str()); }

int PrintFacts(HWND hwnd) {
    if (!hwnd) {
        std::printf("none\n");
        return 1;
    }
    wchar_t className[256] = {};
    GetClassNameW(hwnd, className, 256);
    RECT rect{}, client{};
    GetWindowRect(hwnd, &rect);
    GetClientRect(hwnd, &client);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    std::printf(
        "hwnd=%llu class=%s style=0x%08lX exstyle=0x%08lX rect=%ld,%ld,%ld,%ld client=%ld,%ld "
        "visible=%d pid=%lu parent=%llu\n",
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), Utf8(className).c_str(),
        static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
        static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)), rect.left, rect.top, rect.right, rect.bottom,
        client.right, client.bottom, IsWindowVisible(hwnd) ? 1 : 0, static_cast<unsigned long>(pid),
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)));
    return 0;
}

int Find(const char* title) { return PrintFacts(FindTitled(title)); }

int All(const std::string& title) {
    const std::wstring wide = Wide(title.c_str());
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, nullptr, wide.c_str()); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, nullptr, wide.c_str()))
        PrintFacts(hwnd);
    return 0;
}

int Mode(int width, int height, const char* title) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    const DWORD start = GetTickCount();
    const LONG result = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
    std::printf("%ld\n", result);
    if (!title) return 0;
    for (;;) {
        RECT rect{};
        const DWORD took = GetTickCount() - start;
        if (GetWindowRect(FindTitled(title), &rect) && rect.left == 0 && rect.top == 0 && rect.right == width &&
            rect.bottom == height) {
            std::printf("%lu\n", static_cast<unsigned long>(took));
            return 0;
        }
        if (took >= 5000) break;
        Sleep(10);
    }
    std::printf("-1\n");
    return 0;
}

// One process that polls, rather than one process per poll: starting a Wine
// process costs far more than a FindWindowA, and on a loaded machine that cost
// is taken from the program under test.
int Wait(const char* title, DWORD limitMs, bool visible) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindTitled(title);
        if (hwnd && (!visible || IsWindowVisible(hwnd))) return Find(title);
        if (GetTickCount() - start >= limitMs) break;
        Sleep(20);
    }
    std::printf("none\n");
    return 1;
}

int Post(const char* title, UINT message, WPARAM w, LPARAM l) {
    HWND hwnd = FindTitled(title);
    if (!hwnd) return 1;
    return PostMessageA(hwnd, message, w, l) ? 0 : 2;
}

// The handle of a window this tool made, for the test, at once.
void PrintHandle(HWND hwnd) {
    std::printf("hwnd=%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    std::fflush(stdout);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_USER + 1) {
        // A close request to the embedded preview, as a host closing its pane.
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            PostMessageA(child, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_USER + 2) {
        // The pane torn down with no close request to the preview first.
        DestroyWindow(hwnd);
        return 0;
    }
    return probe::QuitOnDestroy(hwnd, message, w, l);
}

int Host(int width, int height, const char* title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "VelmoraTestHost";
    RegisterClassA(&wc);
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd =
        CreateWindowExW(0, L"VelmoraTestHost", Wide(title).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 1;
    PrintHandle(hwnd);
    return probe::RunMessageLoop();
}

int Paper(int left, int top, int width, int height) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "VelmoraTestPaper";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Velmora test paper", WS_POPUP | WS_VISIBLE, left, top,
                                width, height, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 1;
    PrintHandle(hwnd);
    return probe::RunMessageLoop();
}

int Hold(const char* title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraTestMarker";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExW(0, L"VelmoraTestMarker", Wide(title).c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hwnd) return 1;
    PrintHandle(hwnd);
    return probe::RunMessageLoop();
}

int Text(const char* title) {
    HWND box = FindTitled(title);
    if (!box) return 1;
    // The message text of a message box is its static control 0xFFFF.
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
    return 0;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char className[256] = {};
    GetClassNameA(child, className, sizeof className);
    // WM_GETTEXT, which reaches another process's window: a combo box answers
    // with the text of its edit field.
    wchar_t title[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 1000, &copied);
    // One line per window: line breaks in a label's text become blanks.
    for (wchar_t& c : title)
        if (c == L'\r' || c == L'\n') c = L' ';
    char titleUtf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, title, -1, titleUtf8, sizeof titleUtf8, nullptr, nullptr);
    RECT rect{};
    GetWindowRect(child, &rect);
    // GetParent would give the owner of a window that also has WS_POPUP.
    MapWindowPoints(nullptr, GetAncestor(child, GA_PARENT), reinterpret_cast<POINT*>(&rect), 2);
    DWORD pid = 0;
    GetWindowThreadProcessId(child, &pid);
    std::printf("hwnd=%llu class=%s style=0x%08lX rect=%ld,%ld,%ld,%ld visible=%d pid=%lu title=%s\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(child)), className,
                static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), rect.left, rect.top, rect.right,
                rect.bottom, IsWindowVisible(child) ? 1 : 0, static_cast<unsigned long>(pid), titleUtf8);
    return TRUE;
}

HWND Handle(const std::string& text) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(probe::Number(text))); }

// The optional WPARAM and LPARAM after a message number.
WPARAM WordParam(const std::vector<std::string>& w, std::size_t at) {
    return w.size() > at ? static_cast<WPARAM>(probe::Number(w[at])) : 0;
}
LPARAM LongParam(const std::vector<std::string>& w, std::size_t at) {
    return w.size() > at ? static_cast<LPARAM>(probe::Number(w[at])) : 0;
}

int Send(const std::vector<std::string>& w) {
    const LRESULT result =
        SendMessageA(Handle(w[0]), static_cast<UINT>(probe::Number(w[1])), WordParam(w, 2), LongParam(w, 3));
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
}

int Children(const std::vector<std::string>& w) {
    EnumChildWindows(Handle(w[0]), PrintChild, 0);
    return 0;
}

int Screen() {
    std::printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}
}  // namespace

int main() {
    using Words = std::vector<std::string>;
    return probe::RunCommand(
        {{"find", 1, 99, [](const Words& w) { return Find(w[0].c_str()); }},
         {"wait", 2, 99,
          [](const Words& w) {
              return Wait(w[0].c_str(), static_cast<DWORD>(probe::Number(w[1])), w.size() > 2 && w[2] == "visible");
          }},
         {"post", 2, 99,
          [](const Words& w) {
              return Post(w[0].c_str(), static_cast<UINT>(probe::Number(w[1])), WordParam(w, 2), LongParam(w, 3));
          }},
         {"all", 1, 99, [](const Words& w) { return All(w[0]); }},
         {"foreground", 0, 99, [](const Words&) { return PrintFacts(GetForegroundWindow()); }},
         {"screen", 0, 99, [](const Words&) { return Screen(); }},
         {"mode", 2, 99,
          [](const Words& w) {
              return Mode(std::atoi(w[0].c_str()), std::atoi(w[1].c_str()), w.size() > 2 ? w[2].c_str() : nullptr);
          }},
         {"paper", 4, 99,
          [](const Words& w) {
              return Paper(std::atoi(w[0].c_str()), std::atoi(w[1].c_str()), std::atoi(w[2].c_str()),
                           std::atoi(w[3].c_str()));
          }},
         {"hold", 1, 99, [](const Words& w) { return Hold(w[0].c_str()); }},
         {"text", 1, 99, [](const Words& w) { return Text(w[0].c_str()); }},
         {"send", 2, 99, Send},
         {"children", 1, 99, Children},
         {"host", 2, 99,
          [](const Words& w) {
              return Host(std::atoi(w[0].c_str()), std::atoi(w[1].c_str()),
                          w.size() > 2 ? w[2].c_str() : "Velmora test host");
          }}},
        "window_tool find|all|foreground|wait|post|screen|mode|paper|host|hold|text|children|send ...",
        probe::Utf8Arguments());
}
