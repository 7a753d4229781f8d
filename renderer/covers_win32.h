// The black covers over every monitor but the primary during a run. They
// belong to the ring window's thread and message loop; keys and close
// requests that reach a cover are handed to the ring window, so Esc or
// Alt+F4 on any screen ends the run the one way it ends.
#pragma once
#include <windows.h>

// The covers' class and title: not the ring window's, so the launcher's
// watch for "Nimbel_VC" still finds the ring window alone.
constexpr const char* kCoverWindowName = "Nimbel_VC_Cover";

// Registers the covers' class. Without it no cover can be made, and the run
// goes on with the ring window alone.
void RegisterCoverClass(HINSTANCE instance);

// Makes, moves or removes covers until every monitor now present that the
// ring window does not hold has exactly one, topmost, just below the ring
// window, shown without taking the focus.
void FitCovers(HWND ringWindow);

// Destroys every cover.
void RemoveCovers();
