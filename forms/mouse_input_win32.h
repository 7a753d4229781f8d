// Mouse messages as the form engine reads them, and mouse events as controls
// raise them.
#pragma once
#include <windows.h>

namespace forms {

// A mouse event as controls raise it: Button 1 left, 2 right, 4 middle;
// Shift 1 shift, 2 ctrl, 4 alt; x and y relative to the control, in its
// container's scale unit (pixels for a reusable control's own window).
struct MouseEventArgs {
    int button = 0;
    int shift = 0;
    int x = 0, y = 0;
};

// The keyboard state a mouse event carries: 1 shift, 2 ctrl, 4 alt.
int ShiftState();

// The button of a button message: 1 left, 2 right, 4 middle; 0 for others.
int ButtonOf(UINT message);

}  // namespace forms
