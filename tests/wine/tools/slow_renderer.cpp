// A stand-in renderer for the launcher's tests: waits SECONDS (default 3)
// before it opens its "Nimbel_VC" window, and records whether the texture file
// was there, complete, when it looked: it writes C:\slow_renderer.txt with
// "texture BYTES" (or "texture missing"). Esc or a close request ends it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "probe_runner_win32.h"
#include "saver_contract.h"

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_KEYDOWN && w == VK_ESCAPE) {
        DestroyWindow(hwnd);
        return 0;
    }
    return probe::QuitOnDestroy(hwnd, message, w, l);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DWORD delay = 3000;
    char value[32] = {};
    if (GetEnvironmentVariableA("SLOW_RENDERER_MS", value, sizeof value)) delay = std::strtoul(value, nullptr, 10);
    Sleep(delay);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    FILE* out = std::fopen("C:\\slow_renderer.txt", "w");
    if (out) {
        if (GetFileAttributesExA(kHandOffPath, GetFileExInfoStandard, &data))
            std::fprintf(out, "texture %lu\n", static_cast<unsigned long>(data.nFileSizeLow));
        else
            std::fprintf(out, "texture missing\n");
        std::fclose(out);
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kRendererWindowName;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, kRendererWindowName, kRendererWindowName, WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    return probe::RunMessageLoop();
}
