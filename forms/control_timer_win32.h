// Window timers for controls. A control's timer may live on a window that is
// not its own (the animated-GIF control times its frames on the parent form's
// window), so its identifier comes from the one id space that form timers use
// too, and cannot collide with theirs. The tick finds its timer through that
// identifier: a plain callback, no generated code.
#pragma once
#include <windows.h>

#include <functional>

namespace forms {

// A timer identifier no other timer of the process uses.
UINT_PTR NewTimerId();

class ControlTimer {
public:
    explicit ControlTimer(std::function<void()> tick);
    ~ControlTimer();
    ControlTimer(const ControlTimer&) = delete;
    ControlTimer& operator=(const ControlTimer&) = delete;

    // (Re)starts the timer on window: a pending one is killed first, so one
    // instance never has two. False, and stopped, when window is null or the
    // platform refuses.
    bool Start(HWND window, UINT intervalMs);
    void Stop();
    bool Running() const { return window_ != nullptr; }
    UINT_PTR Id() const { return id_; }

private:
    static void CALLBACK Tick(HWND window, UINT, UINT_PTR id, DWORD);

    std::function<void()> tick_;
    UINT_PTR id_;
    HWND window_ = nullptr;
};

// Control timers running now (for leak checks).
long LiveControlTimers();

}  // namespace forms
