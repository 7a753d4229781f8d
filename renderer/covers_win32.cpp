#include "covers_win32.h"

#include <vector>

#include "cover_layout.h"

namespace {
HWND ringWindowOfCovers = nullptr;
std::vector<HWND> covers;

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM out) {
    reinterpret_cast<std::vector<ScreenRect>*>(out)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

LRESULT CALLBACK CoverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_CLOSE:
        // Esc ends the run from any screen, and a close request to a cover
        // must not leave its monitor bare: the ring window decides.
        if (ringWindowOfCovers) SendMessageA(ringWindowOfCovers, message, wParam, lParam);
        return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND MakeCover(HINSTANCE instance) {
    // A tool window: the covers add no taskbar button or Alt+Tab entry.
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverWindowName, kCoverWindowName,
                           WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}
}  // namespace

void RegisterCoverClass(HINSTANCE instance) {
    WNDCLASSA coverClass = {};
    coverClass.lpfnWndProc = CoverProc;
    coverClass.hInstance = instance;
    // No cursor of its own: the pointer stays hidden as over the ring window.
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = kCoverWindowName;
    RegisterClassA(&coverClass);
}

void FitCovers(HWND ringWindow) {
    ringWindowOfCovers = ringWindow;
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    RECT ring{};
    GetWindowRect(ringWindow, &ring);
    const std::vector<ScreenRect> wanted = CoverRects(monitors, {ring.left, ring.top, ring.right, ring.bottom});

    while (covers.size() > wanted.size()) {
        DestroyWindow(covers.back());
        covers.pop_back();
    }
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(ringWindow, GWLP_HINSTANCE));
    while (covers.size() < wanted.size()) {
        HWND cover = MakeCover(instance);
        if (!cover) break;  // a monitor left bare beats a run that cannot start
        covers.push_back(cover);
    }
    for (std::size_t i = 0; i < covers.size(); ++i) {
        const ScreenRect& at = wanted[i];
        // Just below the ring window, and so still topmost: where monitors
        // overlap, the rings stay in sight.
        SetWindowPos(covers[i], ringWindow, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void RemoveCovers() {
    for (HWND cover : covers) DestroyWindow(cover);
    covers.clear();
    ringWindowOfCovers = nullptr;
}
