#include "timer_win32.h"

#include "control_timer_win32.h"
#include "form_win32.h"

namespace forms {

// --- Timer ----------------------------------------------------------------------
Timer::Timer(Form& form, UINT intervalMs, std::function<void()> tick)
    : form_(form), interval_(intervalMs), tick_(std::move(tick)), id_(NewTimerId()) {
    form.AddTimer(this);
}
Timer::~Timer() {
    if (form_.Hwnd()) KillTimer(form_.Hwnd(), id_);
    form_.RemoveTimer(this);
}
void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Arm();
}
void Timer::SetInterval(UINT intervalMs) {
    interval_ = intervalMs;
    Arm();
}
void Timer::Arm() {
    if (!form_.Hwnd()) return;
    KillTimer(form_.Hwnd(), id_);
    // Setting the timer anew starts a full interval.
    if (enabled_ && interval_ > 0) SetTimer(form_.Hwnd(), id_, interval_, nullptr);
}
void Timer::Fire() {
    if (enabled_ && tick_) tick_();
}

}  // namespace forms
