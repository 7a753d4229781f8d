// The yardstick for the renderer benchmark: the least a Wine OpenGL program
// does: a full-screen window with the same pixel format that only clears and
// swaps, as fast as a never-waiting message loop allows.
#include <windows.h>
#include <GL/gl.h>

namespace {
HDC dc;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT:
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(dc);
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_KEYDOWN:
        if (w == VK_ESCAPE) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, message, w, l);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "MinGL";
    if (!RegisterClassA(&wc)) return 1;
    HWND hwnd = CreateWindowExA(0, "MinGL", "MinGL", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    dc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = static_cast<BYTE>(GetDeviceCaps(dc, BITSPIXEL));
    pfd.cDepthBits = 16;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC rc = wglCreateContext(dc);
    wglMakeCurrent(dc, rc);
    glClearColor(0, 0, 0, 0);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    MSG msg = {};
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
    }
    wglMakeCurrent(dc, nullptr);
    wglDeleteContext(rc);
    return 0;
}
