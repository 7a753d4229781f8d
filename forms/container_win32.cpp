#include "container_win32.h"

#include <algorithm>

#include "mouse_pointer_win32.h"
#include "twips.h"
#include "windowed_controls_win32.h"

namespace forms {

void PaintBuffered(HWND hwnd, const std::function<void(HDC)>& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HGDIOBJ old = SelectObject(memory, buffer);
    paint(memory);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(buffer);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
}

COLORREF ColourRef(Colour colour) {
    if (colour.IsSystemColour()) return GetSysColor(static_cast<int>(colour.value & 0xFF));
    return colour.value & 0x00FFFFFF;
}

// --- Container ------------------------------------------------------------------
int Container::ToPixelsX(int v) const {
    return GetScaleMode() == ScaleMode::Pixels ? v : TwipsToPixels(v, TwipsPerPixelX());
}
int Container::ToPixelsY(int v) const {
    return GetScaleMode() == ScaleMode::Pixels ? v : TwipsToPixels(v, TwipsPerPixelY());
}
int Container::FromPixelsX(int pixels) const {
    return GetScaleMode() == ScaleMode::Pixels ? pixels : PixelsToTwips(pixels, TwipsPerPixelX());
}
int Container::FromPixelsY(int pixels) const {
    return GetScaleMode() == ScaleMode::Pixels ? pixels : PixelsToTwips(pixels, TwipsPerPixelY());
}
int Container::FromTwipsX(int twips) const {
    return GetScaleMode() == ScaleMode::Twips ? twips : TwipsToPixels(twips, TwipsPerPixelX());
}
int Container::FromTwipsY(int twips) const {
    return GetScaleMode() == ScaleMode::Twips ? twips : TwipsToPixels(twips, TwipsPerPixelY());
}

void Container::AddControl(Control* control) { controls_.push_back(control); }
void Container::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    mouse_.Forget(control);
}
void Container::Repaint() {
    if (HWND hwnd = ContainerHwnd()) InvalidateRect(hwnd, nullptr, FALSE);
}

void Container::PaintWindowless(HDC dc) {
    for (Control* control : controls_)
        if (!control->Window()) control->Paint(dc);
}

void Container::RealizeChildren() {
    for (Control* control : controls_) control->Realize();
}

void Container::NotifyShown(bool shown) {
    for (Control* control : controls_)
        if (auto* windowed = dynamic_cast<WindowedControl*>(control)) windowed->ParentShown(shown);
}

Control* Container::HitTest(POINT client) const {
    // The last drawn lies on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control* control = *it;
        if (control->Window() || !control->Visible() || !control->Enabled()) continue;
        const RECT r = control->PixelRect();
        if (PtInRect(&r, client)) return control;
    }
    return nullptr;
}

bool Container::HandleMouse(UINT message, WPARAM w, LPARAM l) {
    const MouseMessage input = ReadMouseMessage(message, w, l);
    switch (input.action) {
    case MouseAction::Move: return MouseMoved(input.at, input.button);
    case MouseAction::Press: return ButtonPressed(input.at, input.button);
    case MouseAction::Release: return ButtonReleased(input.at, input.button);
    case MouseAction::CaptureChanged:
        if (input.capture != ContainerHwnd()) mouse_.CaptureLost();
        return false;
    default: return false;
    }
}

MouseEventArgs Container::ArgsFor(const Control& control, POINT at, int button) const {
    const RECT r = control.PixelRect();
    return MouseEventArgs{button, ShiftState(), FromPixelsX(at.x - r.left), FromPixelsY(at.y - r.top)};
}

bool Container::MouseMoved(POINT at, int buttons) {
    // A pressed control keeps the mouse until the last button is up.
    Control* target = mouse_.MoveTarget(HitTest(at));
    if (!target || !target->onMouseMove) return false;
    target->onMouseMove(ArgsFor(*target, at, buttons));
    return true;
}

bool Container::ButtonPressed(POINT at, int button) {
    Control* target = mouse_.Press(button, HitTest(at));
    if (!target) return false;
    SetCapture(ContainerHwnd());
    if (target->onMouseDown) target->onMouseDown(ArgsFor(*target, at, button));
    return true;
}

bool Container::ButtonReleased(POINT at, int button) {
    Control* target = mouse_.ReleaseTarget();
    if (!target) return false;
    const RECT r = target->PixelRect();
    const MouseRelease release = mouse_.Release(button, PtInRect(&r, at) != FALSE);
    if (release.releaseCapture) ReleaseCapture();
    if (target->onMouseUp) target->onMouseUp(ArgsFor(*target, at, button));
    // The handler may have unloaded the control, so look again.
    if (release.click && std::find(controls_.begin(), controls_.end(), target) != controls_.end() && target->onClick)
        target->onClick();
    return true;
}

bool Container::HandleSetCursor(HWND target) {
    if (target == ContainerHwnd()) {
        POINT at = {};
        GetCursorPos(&at);
        ScreenToClient(ContainerHwnd(), &at);
        const Control* under = HitTest(at);
        return ApplyPointer(under ? under->MousePointer() : 0, under ? &under->MouseIcon() : nullptr);
    }
    for (Control* control : controls_) {
        HWND window = control->Window();
        if (window && (window == target || IsChild(window, target)))
            return ApplyPointer(control->MousePointer(), &control->MouseIcon());
    }
    return ApplyPointer(0, nullptr);
}

// --- Control --------------------------------------------------------------------
Control::Control(Container& container) : container_(container) { container.AddControl(this); }
Control::~Control() { container_.RemoveControl(this); }
void Control::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Layout();
    Invalidate();
}
void Control::MoveTwips(int left, int top, int width, int height) {
    Move(container_.FromTwipsX(left), container_.FromTwipsY(top), container_.FromTwipsX(width),
         container_.FromTwipsY(height));
}
void Control::SetLeft(int v) { Move(v, top_, width_, height_); }
void Control::SetTop(int v) { Move(left_, v, width_, height_); }
void Control::SetWidth(int v) { Move(left_, top_, v, height_); }
void Control::SetHeight(int v) { Move(left_, top_, width_, v); }
void Control::SetVisible(bool visible) {
    visible_ = visible;
    Layout();
    Invalidate();
}
void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Invalidate();
}
RECT Control::PixelRect() const {
    const int x = container_.ToPixelsX(left_), y = container_.ToPixelsY(top_);
    return {x, y, x + container_.ToPixelsX(width_), y + container_.ToPixelsY(height_)};
}
void Control::Invalidate() { container_.Repaint(); }

}  // namespace forms
