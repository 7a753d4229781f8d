#include "settings_stand_in_win32.h"

#include "app_win32.h"
#include "zoom_win32.h"

SettingsStandIn::SettingsStandIn()
    : Form(L"<Velmora>", forms::FormStyle{WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, GetSysColor(COLOR_BTNFACE)}) {}

void SettingsStandIn::OnLoad() {
    POINT mouse = {};
    GetCursorPos(&mouse);
    ZoomOriginX = static_cast<std::int16_t>(mouse.x);
    ZoomOriginY = static_cast<std::int16_t>(mouse.y);
    // Centred on the screen, 400 x 300 pixels.
    const int w = 400, h = 300;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    Move(static_cast<int>(x * forms::TwipsPerPixelX()), static_cast<int>(y * forms::TwipsPerPixelY()),
         static_cast<int>(w * forms::TwipsPerPixelX()), static_cast<int>(h * forms::TwipsPerPixelY()));
    ZoomOpen(Hwnd());
}
