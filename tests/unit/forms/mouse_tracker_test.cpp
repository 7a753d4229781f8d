#include "mouse_tracker.h"

#include <gtest/gtest.h>

#include <vector>

using forms::ClickRule;
using forms::Control;
using forms::MouseTracker;

namespace {

constexpr int L = forms::kLeftButton, R = forms::kRightButton, M = forms::kMiddleButton;
constexpr int kNone = -1, A = 0, B = 1, kOwn = 2;

// The tracker compares controls and never calls them: any distinct
// addresses stand for them.
Control* Ctl(int index) {
    static unsigned char cells[3];
    return index == kNone ? nullptr : reinterpret_cast<Control*>(&cells[index]);
}

enum class Op { Press, Move, Release, Lost, Forget };

// One event and the answer it must get. Press and move: `at` is the control
// under the pointer; release: `over` says the pointer lies over the target.
struct Step {
    Op op;
    int button = 0;
    int at = kNone;
    bool over = false;
    int target = kNone;
    bool releaseCapture = false;
    bool click = false;
};

Step Press(int button, int at, int target) { return {Op::Press, button, at, false, target}; }
Step Move(int at, int target) { return {Op::Move, 0, at, false, target}; }
Step Release(int button, bool over, int target, bool releaseCapture, bool click) {
    return {Op::Release, button, kNone, over, target, releaseCapture, click};
}
Step Lost() { return {Op::Lost}; }
Step Forget(int control) { return {Op::Forget, 0, control}; }

struct Case {
    const char* name;
    bool ownWindow;  // a reusable control's window; else a container's windowless controls
    std::vector<Step> steps;
};

const Case kCases[] = {
    // A container's windowless controls.
    {"left press and release over the control clicks",
     false,
     {Press(L, A, A), Release(L, true, A, true, true), Move(B, B)}},
    {"a release off the control is no click", false, {Press(L, A, A), Release(L, false, A, true, false)}},
    {"a press over no control is for nobody", false, {Press(L, kNone, kNone), Release(L, true, kNone, false, false)}},
    {"the control pressed keeps the mouse until the last button is up",
     false,
     {Press(R, A, A), Press(L, B, A), Move(B, A), Release(R, true, A, false, false), Release(L, true, A, true, true),
      Move(B, B)}},
    {"after the capture went elsewhere the release is for nobody",
     false,
     {Press(L, A, A), Lost(), Move(B, B), Release(L, true, kNone, false, false)}},
    {"a left release over the control clicks though the left went down elsewhere",
     false,
     {Press(L, kNone, kNone), Press(R, A, A), Release(L, true, A, false, true), Release(R, true, A, true, false)}},
    {"a control that is gone holds the mouse no longer",
     false,
     {Press(L, A, A), Forget(A), Move(B, B), Release(L, true, kNone, false, false)}},
    {"right and middle buttons never click",
     false,
     {Press(R, A, A), Release(R, true, A, true, false), Press(M, A, A), Release(M, true, A, true, false)}},
    // A reusable control's own window.
    {"own window: left press and release inside clicks",
     true,
     {Press(L, kOwn, kOwn), Move(kNone, kOwn), Release(L, true, kOwn, true, true)}},
    {"own window: a release without a press is heard, but no click", true, {Release(L, true, kOwn, true, false)}},
    {"own window: the left press counts after the capture went elsewhere",
     true,
     {Press(L, kOwn, kOwn), Lost(), Release(L, true, kOwn, true, true)}},
    {"own window: a left release while the right holds the mouse is no click",
     true,
     {Press(R, kOwn, kOwn), Release(L, true, kOwn, false, false), Release(R, true, kOwn, true, false)}},
    {"own window: a release outside uses the press up",
     true,
     {Press(L, kOwn, kOwn), Release(L, false, kOwn, true, false), Release(L, true, kOwn, true, false)}},
};

TEST(MouseTracker, AnswersEachEventOfAScript) {
    for (const Case& c : kCases) {
        MouseTracker tracker(c.ownWindow ? ClickRule::PressAndReleaseOver : ClickRule::ReleaseOverHolder,
                             c.ownWindow ? Ctl(kOwn) : nullptr);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(testing::Message() << c.name << ", step " << i + 1);
            const Step& step = c.steps[i];
            switch (step.op) {
            case Op::Press: EXPECT_EQ(tracker.Press(step.button, Ctl(step.at)), Ctl(step.target)); break;
            case Op::Move: EXPECT_EQ(tracker.MoveTarget(Ctl(step.at)), Ctl(step.target)); break;
            case Op::Release: {
                EXPECT_EQ(tracker.ReleaseTarget(), Ctl(step.target));
                const forms::MouseRelease answer = tracker.Release(step.button, step.over);
                EXPECT_EQ(answer.target, Ctl(step.target));
                EXPECT_EQ(answer.releaseCapture, step.releaseCapture) << "capture";
                EXPECT_EQ(answer.click, step.click) << "click";
                break;
            }
            case Op::Lost: tracker.CaptureLost(); break;
            case Op::Forget: tracker.Forget(Ctl(step.at)); break;
            }
        }
    }
}

}  // namespace
