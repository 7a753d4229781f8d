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
    if (pressed_ == control) pressed_ = nullptr;
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
    const POINT at = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    const int button = ButtonOf(message);
    auto argsFor = [&](Control* control) {
        const RECT r = control->PixelRect();
        return MouseEventArgs{button, ShiftState(), FromPixelsX(at.x - r.left), FromPixelsY(at.y - r.top)};
    };
    switch (message) {
    case WM_MOUSEMOVE: {
        // A pressed control keeps the mouse until the last button is up.
        Control* target = pressed_ ? pressed_ : HitTest(at);
        if (!target || !target->onMouseMove) return false;
        MouseEventArgs args = argsFor(target);
        args.button = (w & MK_LBUTTON ? 1 : 0) | (w & MK_RBUTTON ? 2 : 0) | (w & MK_MBUTTON ? 4 : 0);
        target->onMouseMove(args);
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        Control* target = pressed_ ? pressed_ : HitTest(at);
        if (!target) return false;
        pressed_ = target;
        pressedButtons_ |= button;
        SetCapture(ContainerHwnd());
        if (target->onMouseDown) target->onMouseDown(argsFor(target));
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        Control* target = pressed_;
        if (!target) return false;
        pressedButtons_ &= ~button;
        if (pressedButtons_ == 0) {
            pressed_ = nullptr;
            ReleaseCapture();
        }
        const MouseEventArgs args = argsFor(target);
        const RECT r = target->PixelRect();
        const bool over = PtInRect(&r, at);
        if (target->onMouseUp) target->onMouseUp(args);
        // A click is a left press and release over the same control; the
        // handlers above may have unloaded it, so look again.
        if (button == 1 && over && std::find(controls_.begin(), controls_.end(), target) != controls_.end() &&
            target->onClick)
            target->onClick();
        return true;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != ContainerHwnd()) {
            pressed_ = nullptr;
            pressedButtons_ = 0;
        }
        return false;
    default: return false;
    }
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
