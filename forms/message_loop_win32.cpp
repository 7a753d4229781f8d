#include "message_loop_win32.h"

#include <vector>

#include "app_win32.h"
#include "form_win32.h"
#include "window_classes_win32.h"

namespace forms {

FormSet formSet([] { PostQuitMessage(0); });
std::vector<Form*> loadOrder;  // for closing them all, newest first

namespace {
HWND ownerWindow = nullptr;

enum class Pumped { Message, Quit, Failed };

// Waits for the next message and dispatches it, unless the keyboard handling
// every loop does first used it up.
Pumped PumpMessage(MSG& msg) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return Pumped::Quit;
    if (got == -1) return Pumped::Failed;
    if (PreTranslate(msg)) return Pumped::Message;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return Pumped::Message;
}
}  // namespace

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        // Closing the program's owner closes every form, newest first.
        std::vector<Form*> forms(loadOrder.rbegin(), loadOrder.rend());
        for (Form* form : forms) form->Unload();
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

HWND OwnerWindow() {
    RegisterClasses();
    if (!ownerWindow)
        ownerWindow = CreateWindowExW(0, kOwnerClass, kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    return ownerWindow;
}

int LoadedFormCount() { return static_cast<int>(formSet.Count()); }

Form* FormOf(HWND hwnd) {
    HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    for (Form* form : loadOrder)
        if (form->Hwnd() == root) return form;
    return nullptr;
}

bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    // Windows that are not on a form (an open drop-down list, a common
    // dialog) keep their own keys.
    Form* form = FormOf(msg.hwnd);
    if (!form) return false;
    form->FocusNext(GetKeyState(VK_SHIFT) < 0);
    return true;
}

int RunMessageLoop() {
    MSG msg;
    while (formSet.Count() > 0)
        if (PumpMessage(msg) != Pumped::Message) break;
    return 0;
}

void RunModalLoop(const std::function<bool()>& running) {
    MSG msg;
    while (running()) {
        const Pumped got = PumpMessage(msg);
        // The loop outside must see the quit too.
        if (got == Pumped::Quit) PostQuitMessage(static_cast<int>(msg.wParam));
        if (got != Pumped::Message) break;
    }
}

}  // namespace forms
