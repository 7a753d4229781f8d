#include "mouse_input_win32.h"

namespace forms {

namespace {
int ButtonOf(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return kLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return kMiddleButton;
    default: return kNoButton;
    }
}

// The buttons a move's key flags say are down.
int ButtonsHeld(WPARAM keys) {
    return (keys & MK_LBUTTON ? kLeftButton : 0) | (keys & MK_RBUTTON ? kRightButton : 0) |
           (keys & MK_MBUTTON ? kMiddleButton : 0);
}

MouseAction ActionOf(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE: return MouseAction::Move;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: return MouseAction::Press;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: return MouseAction::Release;
    case WM_CAPTURECHANGED: return MouseAction::CaptureChanged;
    default: return MouseAction::None;
    }
}
}  // namespace

int ShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

MouseMessage ReadMouseMessage(UINT message, WPARAM w, LPARAM l) {
    MouseMessage read;
    read.action = ActionOf(message);
    if (read.action == MouseAction::CaptureChanged) {
        read.capture = reinterpret_cast<HWND>(l);
        return read;
    }
    read.button = read.action == MouseAction::Move ? ButtonsHeld(w) : ButtonOf(message);
    read.at = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    return read;
}

}  // namespace forms
