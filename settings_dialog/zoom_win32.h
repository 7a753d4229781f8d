// The caption zoom between a remembered screen point and a window, played
// when the settings dialog opens and closes.
#pragma once
#include <windows.h>

#include <cstdint>

extern std::int16_t ZoomOriginX;
extern std::int16_t ZoomOriginY;

void ZoomOpen(HWND hwnd);
void ZoomClose(HWND hwnd);
