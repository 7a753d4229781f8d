// Test-only entry to the preview form: shows it as a visible top-level window
// at (0, 0), W x H pixels, so its picture can be photographed.
//   preview_probe W H
#include <windows.h>

#include <cstdlib>

#include "form_win32.h"
#include "preview_form_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int width = 152, height = 112;
    if (__argc >= 3) {
        width = std::atoi(__argv[1]);
        height = std::atoi(__argv[2]);
    }
    ShowPreviewTopLevel(width, height);
    return forms::RunMessageLoop();
}
