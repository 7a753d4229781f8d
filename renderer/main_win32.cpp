// The renderer program: one full-screen OpenGL window that draws the ring
// flight as fast as the message loop allows, until Esc or a close request,
// with black covers over the other monitors.
#include <windows.h>

#include "covers_win32.h"
#include "gl_api.h"
#include "saver_contract.h"
#include "scene.h"
#include "shell_state.h"

namespace {
HDC windowDc = nullptr;  // the class's own DC, kept for the life of the process
HGLRC renderContext = nullptr;
// False when the display offers no OpenGL: the window still covers the screen
// (black) and Esc still ends the run, but no GL or GLU call is made, since
// GLU reads GL state that only a current context has.
bool contextCurrent = false;

void SetupPixelFormat(HDC dc) {
    // A table of fields, one row per group: kept as written.
    // clang-format off
    static PIXELFORMATDESCRIPTOR pfd = {
        sizeof(PIXELFORMATDESCRIPTOR),
        1,
        PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
        PFD_TYPE_RGBA,
        0,                    // colour depth: the display's, filled on first use
        0, 0, 0, 0, 0, 0,     // colour bits and shifts
        0, 0,                 // alpha
        0, 0, 0, 0, 0,        // accumulation
        16,                   // depth
        0,                    // stencil
        0,                    // auxiliary buffers
        PFD_MAIN_PLANE,
        0, 0, 0, 0,
    };
    // clang-format on
    static bool depthTaken = false;
    if (!depthTaken) {
        pfd.cColorBits = static_cast<BYTE>(GetDeviceCaps(dc, BITSPIXEL));
        depthTaken = true;
    }
    const int index = ChoosePixelFormat(dc, &pfd);
    SetPixelFormat(dc, index, &pfd);
}

// The ring window over the primary monitor as it is now, the covers over the
// others. The flight and its clock go on; only the perspective follows the
// screen's new shape, so the rings stay round.
void FitToDisplays(HWND hwnd) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOACTIVATE);
    if (running && contextCurrent) FitProjection();
    FitCovers(hwnd);
}

void PaintBlack(HWND hwnd) {
    PAINTSTRUCT paint;
    if (HDC dc = BeginPaint(hwnd, &paint)) {
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &paint);
    }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        windowDc = GetDC(hwnd);
        SetupPixelFormat(windowDc);
        renderContext = wglCreateContext(windowDc);
        contextCurrent = renderContext && wglMakeCurrent(windowDc, renderContext);
        return 0;
    case WM_DESTROY:
        // Give the texture back while its context is still current.
        SceneTexture().Release();
        wglMakeCurrent(windowDc, nullptr);
        wglDeleteContext(renderContext);
        RemoveCovers();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        clientWidth = LOWORD(lParam);
        clientHeight = HIWORD(lParam);
        if (contextCurrent) ResizeViewport(clientWidth, clientHeight);
        return 0;
    case WM_DISPLAYCHANGE: FitToDisplays(hwnd); return 0;
    case WM_PAINT:
        ShowCursor(FALSE);
        if (running && contextCurrent) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            StepFrameClock(now.QuadPart);
            DrawScene();
            SwapBuffers(windowDc);
            ValidateRect(hwnd, nullptr);
        } else if (running) {
            PaintBlack(hwnd);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            ShowCursor(TRUE);
            DestroyWindow(hwnd);
        }
        return 0;  // every other key is swallowed
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    running = false;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kRendererWindowName;
    if (!RegisterClassA(&windowClass)) return 0;
    RegisterCoverClass(instance);

    // Topmost, so that no always-on-top window or taskbar shows over the saver.
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, kRendererWindowName, kRendererWindowName,
                                WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 0;
    ShowWindow(hwnd, SW_SHOW);
    FitCovers(hwnd);
    UpdateWindow(hwnd);

    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    StartFrameClock(frequency.QuadPart, start.QuadPart);

    if (contextCurrent && !InitScene()) return 0;
    running = true;

    // Never wait: an empty queue means the next frame is due.
    MSG msg = {};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (contextCurrent) {
            InvalidateRect(hwnd, nullptr, FALSE);
        } else {
            WaitMessage();  // nothing to animate: sleep until input
        }
    }
    running = false;
    return static_cast<int>(msg.wParam);
}
