// The program's message loop and the book of its loaded forms.
#pragma once
#include <windows.h>

#include <functional>

namespace forms {

class Form;

// Runs the user-interface loop until no form is loaded; returns the exit code.
int RunMessageLoop();
// Runs the user-interface loop while running() holds (a modal form's). A quit
// message ends it, and is posted again for the loop outside.
void RunModalLoop(const std::function<bool()>& running);
// The keyboard handling every message loop of the program does first (the
// tab key moves the focus); true when the message was used up.
bool PreTranslate(MSG& msg);
// The hidden window that owns every top-level form; its WM_CLOSE unloads them all.
HWND OwnerWindow();
// How many forms are loaded.
int LoadedFormCount();
// The form whose window is hwnd or an ancestor of it; null for other windows.
Form* FormOf(HWND hwnd);

}  // namespace forms
