// Mouse pointers: the application-wide pointer and each control's own
// MousePointer (with 99 showing its MouseIcon). Both are applied through
// WM_SETCURSOR, so they stay up until they are set back, instead of lasting
// only until the next mouse move.
#pragma once
#include <windows.h>

#include <cstdint>

#include "picture_win32.h"

namespace forms {

// The form engine's MousePointer values.
enum PointerValue : std::int16_t {
    kPointerDefault = 0,
    kPointerArrow = 1,
    kPointerCross = 2,
    kPointerIBeam = 3,
    kPointerSizeAll = 5,  // 4 (icon) and 5 (size) both show the four-way arrows
    kPointerSizeNESW = 6,
    kPointerSizeNS = 7,
    kPointerSizeNWSE = 8,
    kPointerSizeWE = 9,
    kPointerUpArrow = 10,
    kPointerHourglass = 11,
    kPointerNoDrop = 12,
    kPointerArrowHourglass = 13,
    kPointerArrowQuestion = 14,
    kPointerSizeAll15 = 15,
    kPointerCustom = 99,
};

// The cursor for a control's pointer value; null for the default (the
// window's own) and for values without a cursor. 99 gives the icon's cursor.
HCURSOR CursorForPointer(std::int16_t pointer, const Picture* icon);

// Answers WM_SETCURSOR for a window of ours: the application-wide pointer
// wins, then the given control pointer. True when a cursor was set (the
// window procedure then returns TRUE); false leaves it to DefWindowProc.
bool ApplyPointer(std::int16_t pointer, const Picture* icon);

}  // namespace forms
