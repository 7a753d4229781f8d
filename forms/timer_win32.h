// The timers of a form.
#pragma once
#include <windows.h>

#include <functional>

namespace forms {

class Form;

// A window timer of the form. Enabling starts a full interval; ticks arrive on
// the user-interface thread and find the timer through its identifier.
class Timer {
public:
    Timer(Form& form, UINT intervalMs, std::function<void()> tick);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(UINT intervalMs);
    UINT Interval() const { return interval_; }
    UINT_PTR Id() const { return id_; }
    void Fire();
    void Arm();  // (re)starts the timer when the form has a window

private:
    Form& form_;
    UINT interval_;
    std::function<void()> tick_;
    UINT_PTR id_;
    bool enabled_ = false;
};

}  // namespace forms
