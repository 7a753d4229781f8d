#include "window_classes_win32.h"

namespace forms {

const wchar_t kFormClass[] = L"VelmoraForm";
const wchar_t kOwnerClass[] = L"VelmoraOwner";
const wchar_t kPictureBoxClass[] = L"VelmoraPictureBox";

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW form = {};
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = &DefWindowProcW;  // replaced per window below
    form.hInstance = instance;
    form.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    form.lpszClassName = kFormClass;
    RegisterClassW(&form);
    WNDCLASSW owner = {};
    owner.lpfnWndProc = OwnerProc;
    owner.hInstance = instance;
    owner.hIcon = form.hIcon;
    owner.lpszClassName = kOwnerClass;
    RegisterClassW(&owner);
    WNDCLASSW box = {};
    box.style = CS_OWNDC;
    box.lpfnWndProc = DefWindowProcW;  // replaced per window
    box.hInstance = instance;
    box.hCursor = form.hCursor;
    box.lpszClassName = kPictureBoxClass;
    RegisterClassW(&box);
}

}  // namespace forms
