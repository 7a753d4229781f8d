#include "control_timer_win32.h"

#include <map>

namespace forms {

namespace {
UINT_PTR nextTimerId = 1;
std::map<UINT_PTR, ControlTimer*> timers;  // UI thread only
long running = 0;
}  // namespace

UINT_PTR NewTimerId() { return nextTimerId++; }
long LiveControlTimers() { return running; }

ControlTimer::ControlTimer(std::function<void()> tick) : tick_(std::move(tick)), id_(NewTimerId()) {
    timers[id_] = this;
}

ControlTimer::~ControlTimer() {
    Stop();
    timers.erase(id_);
}

bool ControlTimer::Start(HWND window, UINT intervalMs) {
    Stop();
    if (!window || !SetTimer(window, id_, intervalMs, &ControlTimer::Tick)) return false;
    window_ = window;
    ++running;
    return true;
}

void ControlTimer::Stop() {
    if (!window_) return;
    KillTimer(window_, id_);
    window_ = nullptr;
    --running;
}

void CALLBACK ControlTimer::Tick(HWND window, UINT, UINT_PTR id, DWORD) {
    const auto it = timers.find(id);
    if (it == timers.end() || it->second->window_ != window) {
        KillTimer(window, id);  // its owner is gone
        return;
    }
    if (it->second->tick_) it->second->tick_();
}

}  // namespace forms
