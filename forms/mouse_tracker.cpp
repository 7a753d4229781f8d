#include "mouse_tracker.h"

namespace forms {

Control* MouseTracker::Target(Control* under) const {
    if (holder_) return holder_;
    return own_ ? own_ : under;
}

Control* MouseTracker::Press(int button, Control* under) {
    Control* target = Target(under);
    if (!target) return nullptr;
    holder_ = target;
    buttons_ |= button;
    if (button == kLeftButton) leftPressed_ = true;
    return target;
}

Control* MouseTracker::MoveTarget(Control* under) const { return Target(under); }

Control* MouseTracker::ReleaseTarget() const { return Target(nullptr); }

MouseRelease MouseTracker::Release(int button, bool over) {
    MouseRelease answer;
    answer.target = ReleaseTarget();
    if (!answer.target) return answer;
    buttons_ &= ~button;
    answer.releaseCapture = buttons_ == kNoButton;
    if (answer.releaseCapture) holder_ = nullptr;
    if (button == kLeftButton) {
        answer.click = over && (rule_ == ClickRule::ReleaseOverHolder || leftPressed_);
        leftPressed_ = false;
    }
    return answer;
}

void MouseTracker::CaptureLost() {
    holder_ = nullptr;
    buttons_ = kNoButton;
}

void MouseTracker::Forget(const Control* control) {
    if (holder_ == control) holder_ = nullptr;
}

}  // namespace forms
