// The press, capture and click rules of the mouse, one set for a container's
// windowless controls and for a reusable control's own window. The window
// procedure feeds the tracker its presses (a double-click is a press too),
// releases, moves and capture changes; the answers say which control an
// event is for, when to take and give back the mouse capture, and whether a
// release is a click. Portable: it compares and hands back controls, and
// never calls one.
#pragma once

namespace forms {

class Control;

// The buttons of a press or release; a move carries a mask of them.
enum MouseButton : int {
    kNoButton = 0,
    kLeftButton = 1,
    kRightButton = 2,
    kMiddleButton = 4,
};

// When a release of the left button over its control is a click.
enum class ClickRule {
    // Always: the control got the mouse with whichever button (a
    // container's windowless controls).
    ReleaseOverHolder,
    // Only when the left button also went down on the control, a press
    // that still counts after the capture went elsewhere (a reusable
    // control's own window).
    PressAndReleaseOver,
};

// What a release asks of the window procedure.
struct MouseRelease {
    Control* target = nullptr;    // who hears the release; null: nobody, leave it to the system
    bool releaseCapture = false;  // the last button is up
    bool click = false;           // then raise Click, if the target is still there
};

class MouseTracker {
public:
    // own: the control a window of its own stands for. Every event of that
    // window is the control's, a release with no press before it too. Null
    // for a container, whose events are for the control under the pointer.
    explicit MouseTracker(ClickRule rule, Control* own = nullptr) : rule_(rule), own_(own) {}

    // A press over under (null: no control there): for the control that
    // holds the mouse, else the one under it, which then holds it until the
    // last button is up; the window takes the capture. Null: for nobody,
    // and nothing changes.
    Control* Press(int button, Control* under);
    // A move is for the control that holds the mouse, else the one under it.
    Control* MoveTarget(Control* under) const;
    // The control a release would be for.
    Control* ReleaseTarget() const;
    // A release; over: the pointer lies over ReleaseTarget().
    MouseRelease Release(int button, bool over);
    // The capture went to another window: no button counts as down, and no
    // control holds the mouse any more.
    void CaptureLost();
    // The control is gone: it holds the mouse no longer.
    void Forget(const Control* control);

private:
    Control* Target(Control* under) const;

    ClickRule rule_;
    Control* own_;
    Control* holder_ = nullptr;
    int buttons_ = kNoButton;
    bool leftPressed_ = false;  // the left button went down and has not come up
};

}  // namespace forms
