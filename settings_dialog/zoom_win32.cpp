#include "zoom_win32.h"

std::int16_t ZoomOriginX = 0;
std::int16_t ZoomOriginY = 0;

namespace {
RECT PointRect() { return {ZoomOriginX, ZoomOriginY, ZoomOriginX, ZoomOriginY}; }
}  // namespace

void ZoomOpen(HWND hwnd) {
    const RECT from = PointRect();
    RECT to = {};
    GetWindowRect(hwnd, &to);
    DrawAnimatedRects(hwnd, IDANI_CAPTION, &from, &to);
}

void ZoomClose(HWND hwnd) {
    RECT from = {};
    GetWindowRect(hwnd, &from);
    const RECT to = PointRect();
    DrawAnimatedRects(hwnd, IDANI_CAPTION, &from, &to);
}
