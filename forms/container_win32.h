// Containers and their controls: a container (a form, or a picture box on a
// form) holds controls laid out in its scale unit, twips or pixels, paints its
// windowless controls and hands them its mouse messages.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gdi_win32.h"
#include "mouse_input_win32.h"
#include "picture_win32.h"
#include "property_store.h"

namespace forms {

class Form;
class Control;
class WindowedControl;

enum class ScaleMode { Twips, Pixels };

// A design-data colour &H00BBGGRR as GDI takes it; a value with the top bit
// set names a system colour (&H80000012 is the button text).
COLORREF ColourRef(Colour colour);

// Answers WM_PAINT off-screen: paint draws the whole client area into a
// memory DC, which is then copied, so nothing flickers while it draws.
void PaintBuffered(HWND hwnd, const std::function<void(HDC)>& paint);

// Holds controls: a form or a picture box.
class Container {
public:
    virtual ~Container() = default;
    virtual HWND ContainerHwnd() const = 0;
    virtual Form& OwnerForm() = 0;
    virtual ScaleMode GetScaleMode() const = 0;
    // The screen's twips per pixel as the owning form read it at its load.
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;
    // A length in the container's scale unit, in pixels, and back.
    int ToPixelsX(int v) const;
    int ToPixelsY(int v) const;
    int FromPixelsX(int pixels) const;
    int FromPixelsY(int pixels) const;
    // A design length in twips, in the container's scale unit.
    int FromTwipsX(int twips) const;
    int FromTwipsY(int twips) const;

    void AddControl(Control* control);
    void RemoveControl(Control* control);
    const std::vector<Control*>& Controls() const { return controls_; }
    void Repaint();
    // Paints the container's face (background, picture, windowless
    // controls) into dc, whose origin is the container's client origin:
    // what a transparent child shows through.
    virtual void PaintFace(HDC dc) = 0;

protected:
    void PaintWindowless(HDC dc);
    // The container window's mouse messages, for its windowless controls;
    // true when handled.
    bool HandleMouse(UINT message, WPARAM w, LPARAM l);
    // WM_SETCURSOR: the pointer of the control under the mouse (windowless,
    // or the windowed child the message is for). True when a cursor was set.
    bool HandleSetCursor(HWND target);
    void RealizeChildren();
    void NotifyShown(bool shown);

    std::vector<Control*> controls_;

private:
    friend class Form;
    Control* HitTest(POINT client) const;
    MouseEventArgs ArgsFor(const Control& control, POINT at, int button) const;
    bool MouseMoved(POINT at, int buttons);
    bool ButtonPressed(POINT at, int button);
    bool ButtonReleased(POINT at, int button);

    MouseTracker mouse_{ClickRule::ReleaseOverHolder};
};

// A control: geometry in its container's scale unit.
class Control {
public:
    explicit Control(Container& container);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    void Move(int left, int top, int width, int height);
    // Places the control from design values in twips, whatever its
    // container's unit: a form laid out in twips scales with the screen.
    void MoveTwips(int left, int top, int width, int height);
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    virtual void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    Container& Parent() { return container_; }
    // Bounds in the container's client pixels.
    RECT PixelRect() const;
    virtual void Paint(HDC dc) = 0;
    virtual void Layout() {}
    // Called when the container's window exists: controls with windows make theirs.
    virtual void Realize() {}
    virtual HWND Window() const { return nullptr; }

    // The pointer shown over the control (kPointerCustom shows MouseIcon).
    void SetMousePointer(std::int16_t pointer) { mousePointer_ = pointer; }
    std::int16_t MousePointer() const { return mousePointer_; }
    void SetMouseIcon(Picture icon) { mouseIcon_ = std::move(icon); }
    const Picture& MouseIcon() const { return mouseIcon_; }

    // Mouse events of windowless controls (labels, images, shapes).
    std::function<void()> onClick;
    std::function<void(const MouseEventArgs&)> onMouseDown, onMouseUp, onMouseMove;

protected:
    void Invalidate();
    Container& container_;

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::int16_t mousePointer_ = 0;
    Picture mouseIcon_;
};

}  // namespace forms
