#include "mouse_pointer_win32.h"

#include "app_win32.h"

namespace forms {

namespace {
HCURSOR System(LPCSTR id) { return LoadCursorA(nullptr, id); }
}  // namespace

HCURSOR CursorForPointer(std::int16_t pointer, const Picture* icon) {
    switch (pointer) {
    case kPointerArrow: return System(IDC_ARROW);
    case kPointerCross: return System(IDC_CROSS);
    case kPointerIBeam: return System(IDC_IBEAM);
    case 4:
    case kPointerSizeAll:
    case kPointerSizeAll15: return System(IDC_SIZEALL);
    case kPointerSizeNESW: return System(IDC_SIZENESW);
    case kPointerSizeNS: return System(IDC_SIZENS);
    case kPointerSizeNWSE: return System(IDC_SIZENWSE);
    case kPointerSizeWE: return System(IDC_SIZEWE);
    case kPointerUpArrow: return System(IDC_UPARROW);
    case kPointerHourglass: return System(IDC_WAIT);
    case kPointerNoDrop: return System(IDC_NO);
    case kPointerArrowHourglass: return System(IDC_APPSTARTING);
    case kPointerArrowQuestion: return System(IDC_HELP);
    case kPointerCustom: return icon ? (icon->Cursor() ? icon->Cursor() : icon->Icon()) : nullptr;
    default: return nullptr;
    }
}

bool ApplyPointer(std::int16_t pointer, const Picture* icon) {
    HCURSOR cursor = GetMousePointer() == MousePointer::Hourglass ? System(IDC_WAIT) : nullptr;
    if (!cursor) cursor = CursorForPointer(pointer, icon);
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

}  // namespace forms
