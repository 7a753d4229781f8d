// Exercises the form engine under Wine for its tests. Console program; prints
// one line per observation, which the Python side checks.
//   forms_probe lifecycle   load hidden, timers, unload order, modal show, end of loop
//   forms_probe controls    a visible form with every control, until closed
#include <windows.h>

#include <cstdio>
#include <string>

#include "app_win32.h"
#include "form_win32.h"
#include "probe_runner_win32.h"

namespace {
class ProbeForm : public forms::Form {
public:
    explicit ProbeForm(const wchar_t* title, DWORD style = WS_POPUP)
        : Form(title, forms::FormStyle{style, 0, RGB(0, 0, 0)}) {}
    std::function<void()> onLoad, onClose, onUnload;

protected:
    void OnLoad() override {
        if (onLoad) onLoad();
    }
    void OnClose() override {
        if (onClose) onClose();
    }
    void OnUnload() override {
        if (onUnload) onUnload();
    }
};

int Lifecycle() {
    ProbeForm hidden(L"Probe Hidden");
    ULONGLONG enabledAt = 0;
    int ticks = 0;
    forms::Timer timer(hidden, 300, [&] {
        char line[64];
        std::snprintf(line, sizeof line, "tick %d after %llu ms", ++ticks,
                      static_cast<unsigned long long>(GetTickCount64() - enabledAt));
        probe::Log(line);
        if (ticks == 2) {
            // Re-enabling starts a full interval again.
            timer.SetEnabled(false);
            Sleep(200);
            enabledAt = GetTickCount64();
            timer.SetEnabled(true);
        }
        if (ticks == 3) hidden.Unload();
    });
    hidden.onLoad = [&] {
        probe::Log(FindWindowA(nullptr, "Probe Hidden") ? "hidden form found by title" : "hidden form NOT found");
        probe::Log(IsWindowVisible(hidden.Hwnd()) ? "hidden form visible" : "hidden form not visible");
    };
    hidden.onClose = [&] {
        probe::Log("close handler");
        hidden.Unload(); /* a nested request does nothing */
    };
    hidden.onUnload = [&] { probe::Log("unload handler"); };
    hidden.Load();
    enabledAt = GetTickCount64();
    timer.SetEnabled(true);

    // A modal form returns to its caller once it is unloaded.
    ProbeForm modal(L"Probe Modal", WS_CAPTION | WS_SYSMENU);
    modal.Move(0, 0, 3000, 2000);
    forms::Timer closer(modal, 400, [&] { modal.Unload(); });
    modal.onLoad = [&] {
        closer.SetEnabled(true);
        // The application-wide hourglass outlives the next mouse move: every
        // window answers WM_SETCURSOR with it until it is set back.
        forms::SetMousePointer(forms::MousePointer::Hourglass);
        SendMessageW(modal.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(modal.Hwnd()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const bool kept = GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
        forms::SetMousePointer(forms::MousePointer::Default);
        SendMessageW(modal.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(modal.Hwnd()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const bool restored = GetCursor() == LoadCursorA(nullptr, IDC_ARROW);
        probe::Log(kept && restored ? "hourglass kept until set back" : "hourglass lost");
    };
    modal.Show(true);
    probe::Log("modal show returned");
    probe::Log(forms::LoadedFormCount() == 1 ? "one form left" : "wrong form count");
    forms::RunMessageLoop();
    probe::Log("message loop ended: no form loaded");
    return 0;
}

int Controls() {
    ProbeForm form(L"Probe Controls", WS_POPUP);
    form.SetScaleMode(forms::ScaleMode::Pixels);
    forms::Label label(form);
    label.Move(10, 10, 200, 30);
    label.SetFont(L"IPAGothic", 14, true);
    label.SetForeColor(RGB(255, 255, 0));
    label.SetCaption(L"設定 Velmora");
    forms::Label greyed(form);
    greyed.Move(10, 50, 200, 30);
    greyed.SetCaption(L"greyed");
    greyed.SetEnabled(false);
    forms::Shape shape(form);
    shape.Move(220, 10, 60, 60);
    shape.SetBorderColor(RGB(0, 255, 0));
    forms::ComboBox combo(form);
    combo.Move(10, 90, 150, 200);
    forms::PictureBox box(form);
    box.Move(220, 90, 60, 40);
    box.onPaint = [](HDC dc) {
        RECT r = {5, 5, 55, 35};
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    };
    form.Move(0, 0, forms::TwipsPerPixelX() * 300, forms::TwipsPerPixelY() * 150);
    form.Load();
    combo.AddItem(L"CD");
    combo.AddItem(L"MP3");
    combo.SetListIndex(1);
    form.Show(false);
    char line[128];
    std::snprintf(line, sizeof line, "combo items %d index %d", combo.ListCount(), combo.ListIndex());
    probe::Log(line);
    return forms::RunMessageLoop();
}
}  // namespace

int main() {
    return probe::RunCommand({{"lifecycle", 0, 99, [](const auto&) { return Lifecycle(); }},
                              {"controls", 0, 99, [](const auto&) { return Controls(); }}},
                             "forms_probe lifecycle|controls");
}
