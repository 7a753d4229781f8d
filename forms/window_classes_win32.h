// What the form engine's own files share, and nothing outside them uses: its
// window classes and the book of loaded forms.
#pragma once
#include <windows.h>

#include <vector>

#include "form_set.h"

namespace forms {

class Form;

extern const wchar_t kFormClass[];
extern const wchar_t kOwnerClass[];
extern const wchar_t kPictureBoxClass[];

// Registers the engine's window classes, once.
void RegisterClasses();
// The owner window's procedure (message_loop_win32.cpp).
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);

// Which forms are loaded, and the unload order close handler, unload handler.
extern FormSet formSet;
extern std::vector<Form*> loadOrder;  // for closing them all, newest first

}  // namespace forms
