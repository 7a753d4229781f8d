// Mouse messages as the form engine reads them, and mouse events as controls
// raise them.
#pragma once
#include <windows.h>

#include "mouse_tracker.h"

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

enum class MouseAction { None, Press, Release, Move, CaptureChanged };

struct MouseMessage {
    MouseAction action = MouseAction::None;
    // Press and release: the button (a MouseButton); move: the buttons held.
    int button = kNoButton;
    POINT at = {};           // in the window's client pixels
    HWND capture = nullptr;  // capture changed: the window that has it now
};

// A window's mouse message; action None for any other message. A
// double-click is a press: a window whose class asks for double-clicks
// hears every press of a quick pair.
MouseMessage ReadMouseMessage(UINT message, WPARAM w, LPARAM l);

}  // namespace forms
