// A test form with Command buttons at the settings dialog's sizes, for the
// button's Wine tests. Every Click is appended to the log file as one line.
//   command_probe LOG
// Buttons (pixels, on a paper-coloured form of 320 x 120):
//   "set"  81 x 25 at (20, 20), caption 設定
//   "file" 25 x 21 at (120, 22), caption ...
//   "off"  81 x 25 at (170, 20), caption ｷｬﾝｾﾙ, disabled
//   "tiny"  7 x 7 at (270, 20), smaller than its two border bands
//   "plain" at (180, 60), placed without a size; logs "plain W H" at load
// A click on the label at (20, 70) resizes "set" to 95 x 41 (the label
// itself is windowless: its click also proves the form's mouse events).
// Every 10 ms the form notes when the pointer leaves "set" and when the
// button's state changes, with GetTickCount64, so the test can measure how
// soon the hover ends in one clock: "left 1234", "state 2 1 1301".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app_win32.h"
#include "command_win32.h"
#include "font_win32.h"
#include "form_win32.h"
#include "probe_runner_win32.h"

namespace {
using probe::Log;

// What the settings dialog stores for a button: caption and font only.
std::vector<std::uint8_t> DesignBag(const char* caption) {
    PropertyStore bag;
    FontSpec font = forms::DefaultFont();
    font.sizeCentipoints = 975;
    bag.Write("Caption", std::string(caption), std::string("Command"));
    bag.Write("Font", font, FontSpec{});
    return bag.Serialize();
}

class ProbeForm : public forms::Form {
public:
    ProbeForm() : Form(L"Command Probe", forms::FormStyle{WS_POPUP, 0, RGB(0xFB, 0xF6, 0xDC)}) {
        SetScaleMode(forms::ScaleMode::Pixels);
        set.Move(20, 20, 81, 25);
        file.Move(120, 22, 25, 21);
        off.Move(170, 20, 81, 25);
        tiny.Move(270, 20, 7, 7);
        tiny.SetDesignData(DesignBag(""));
        tiny.SetTabIndex(4);
        plain.SetLeft(180), plain.SetTop(60), plain.SetTabStop(false);
        set.SetDesignData(DesignBag("\xE8\xA8\xAD\xE5\xAE\x9A"));
        file.SetDesignData(DesignBag("..."));
        off.SetDesignData(DesignBag("\xEF\xBD\xB7\xEF\xBD\xAC\xEF\xBE\x9D\xEF\xBD\xBE\xEF\xBE\x99"));
        set.SetTabIndex(1), file.SetTabIndex(2), off.SetTabIndex(3);
        set.onClick = [] { Log("click set"); };
        file.onClick = [] { Log("click file"); };
        off.onClick = [] { Log("click off"); };
        grow.Move(20, 70, 120, 20);
        grow.SetCaption(L"resize");
        watch.SetEnabled(true);
        grow.onClick = [this] {
            set.Move(20, 20, 95, 41);
            Log("resized");
        };
    }

protected:
    void OnLoad() override {
        for (Command* button : {&set, &file, &off}) button->Initialize();
        off.SetEnabled(false);
        RECT r = {};
        GetClientRect(plain.Hwnd(), &r);
        Log("plain " + std::to_string(r.right) + " " + std::to_string(r.bottom));
    }

private:
    void Watch() {
        POINT at = {};
        GetCursorPos(&at);
        RECT r = {};
        GetWindowRect(set.Hwnd(), &r);
        const bool inside = PtInRect(&r, at) != FALSE;
        char line[64];
        if (wasInside && !inside) {
            std::snprintf(line, sizeof line, "left %llu", static_cast<unsigned long long>(GetTickCount64()));
            Log(line);
        }
        wasInside = inside;
        if (set.Model().State() != lastState) {
            std::snprintf(line, sizeof line, "state %d %d %llu", lastState, set.Model().State(),
                          static_cast<unsigned long long>(GetTickCount64()));
            Log(line);
            lastState = set.Model().State();
        }
    }

    Command set{*this}, file{*this}, off{*this}, tiny{*this}, plain{*this};
    forms::Label grow{*this};
    forms::Timer watch{*this, 10, [this] { Watch(); }};
    bool wasInside = false;
    int lastState = 0;
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::vector<std::string> args = probe::Arguments();
    probe::LogTo(args.empty() ? "command_probe.log" : args[0]);
    static ProbeForm form;
    form.Move(0, 0, static_cast<int>(320 * forms::TwipsPerPixelX()), static_cast<int>(120 * forms::TwipsPerPixelY()));
    form.Show(false);
    Log("shown");
    return forms::RunMessageLoop();
}
