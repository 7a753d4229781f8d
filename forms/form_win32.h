// The form engine's windows: forms (a top-level window each, hidden until
// shown), their controls, and the program's message loop. Forms and controls
// are laid out in twips, like the launcher's design data, or in pixels.
//
// Controls live in a container: a form, or a picture box on a form. Labels,
// images and shapes are windowless: their container paints them and hands
// them its mouse messages. Combo boxes, picture boxes and reusable controls
// have windows of their own, children of their container's window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "font_win32.h"
#include "gdi_win32.h"
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

// A mouse event as controls raise it: Button 1 left, 2 right, 4 middle;
// Shift 1 shift, 2 ctrl, 4 alt; x and y relative to the control, in its
// container's scale unit (pixels for a reusable control's own window).
struct MouseEventArgs {
    int button = 0;
    int shift = 0;
    int x = 0, y = 0;
};

// Answers WM_PAINT off-screen: paint draws the whole client area into a
// memory DC, which is then copied, so nothing flickers while it draws.
void PaintBuffered(HWND hwnd, const std::function<void(HDC)>& paint);

// The keyboard state a mouse event carries: 1 shift, 2 ctrl, 4 alt.
int ShiftState();

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
    Control* pressed_ = nullptr;  // windowless control that got the button down
    int pressedButtons_ = 0;
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

class Image : public Control {
public:
    using Control::Control;
    // Takes the picture's size (its twips: 15 a picture pixel) unless
    // stretching, and shows it at that size on any screen.
    void SetPicture(Picture picture);
    const Picture& GetPicture() const { return picture_; }
    void SetStretch(bool stretch) { stretch_ = stretch; }
    void Paint(HDC dc) override;

private:
    Picture picture_;
    bool stretch_ = false;
};

enum class Alignment { Left, Right, Center };

class Label : public Control {
public:
    using Control::Control;
    void SetCaption(std::wstring caption);
    const std::wstring& Caption() const { return caption_; }
    void SetForeColor(COLORREF colour);
    COLORREF ForeColor() const { return foreColor_; }
    void SetFont(const wchar_t* face, int pointSize, bool bold = false);
    void SetFont(const FontSpec& font);
    const FontSpec& Font() const { return fontSpec_; }
    HFONT FontHandle() const { return font_.Get(); }
    void SetAlignment(Alignment alignment);
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    void SetBackColor(COLORREF colour) { backColor_ = colour; }
    void Paint(HDC dc) override;
    // Draws the caption into r on dc: enabled in the fore colour, disabled in
    // the system's embossed grey.
    static void DrawCaption(HDC dc, const std::wstring& caption, RECT r, HFONT font, COLORREF colour,
                            Alignment alignment, bool enabled);
    void SetEnabled(bool enabled) override;

private:
    std::wstring caption_;
    COLORREF foreColor_ = RGB(0, 0, 0);
    COLORREF backColor_ = RGB(255, 255, 255);
    FontSpec fontSpec_;
    OwnedFont font_;
    Alignment alignment_ = Alignment::Left;
    bool transparent_ = true;
};

class Shape : public Control {
public:
    using Control::Control;
    void SetBorderColor(COLORREF colour);
    void Paint(HDC dc) override;

private:
    COLORREF borderColor_ = RGB(0, 0, 0);
};

// Controls with a window of their own.
class WindowedControl : public Control {
public:
    ~WindowedControl() override;
    HWND Hwnd() const { return hwnd_; }
    HWND Window() const override { return hwnd_; }
    void Paint(HDC) override {}
    void Layout() override;
    void Realize() override;
    void SetEnabled(bool enabled) override;

    // Keyboard focus and the tab order (lowest index first).
    void SetTabIndex(int index) { tabIndex_ = index; }
    int TabIndex() const { return tabIndex_; }
    void SetTabStop(bool stop) { tabStop_ = stop; }
    virtual bool CanFocus() const;
    void SetFocus();

    // The form it lies on was shown or hidden: child windows get no
    // WM_SHOWWINDOW then, so the engine says it.
    virtual void ParentShown(bool shown) {}

protected:
    WindowedControl(Container& container, const wchar_t* windowClass, DWORD style, DWORD exStyle = 0)
        : Control(container), windowClass_(windowClass), style_(style), exStyle_(exStyle) {}
    virtual void Created() {}
    HWND hwnd_ = nullptr;

private:
    const wchar_t* windowClass_;
    DWORD style_;
    DWORD exStyle_;
    int tabIndex_ = 0;
    bool tabStop_ = true;
};

class ComboBox : public WindowedControl {
public:
    // An editable drop-down box, or (editable false) a drop-down list.
    explicit ComboBox(Container& container, bool editable = false);
    void AddItem(const std::wstring& item);
    void Clear();
    int ListCount() const;
    int ListIndex() const;
    void SetListIndex(int index);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SetFont(const FontSpec& font);

protected:
    void Created() override;

private:
    OwnedFont font_;
};

// A child window with its own device context for drawing into, holding
// controls of its own.
class PictureBox : public WindowedControl, public Container {
public:
    explicit PictureBox(Container& container);
    void SetPicture(Picture picture);
    const Picture& GetPicture() const { return picture_; }
    HDC Dc() const;
    void SetScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    ScaleMode GetScaleMode() const override { return scaleMode_; }
    void SetBackColor(COLORREF colour) { backColor_ = colour; }
    void Refresh();
    std::function<void(HDC)> onPaint;
    void PaintSelf(HDC dc);

    HWND ContainerHwnd() const override { return hwnd_; }
    Form& OwnerForm() override { return container_.OwnerForm(); }
    float TwipsPerPixelX() const override { return container_.TwipsPerPixelX(); }
    float TwipsPerPixelY() const override { return container_.TwipsPerPixelY(); }
    void PaintFace(HDC dc) override { PaintSelf(dc); }
    void Realize() override;
    void ParentShown(bool shown) override { NotifyShown(shown); }
    bool CanFocus() const override { return false; }

protected:
    void Created() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    Picture picture_;
    ScaleMode scaleMode_ = ScaleMode::Twips;
    COLORREF backColor_ = RGB(0, 0, 0);
};

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

struct FormStyle {
    DWORD style = WS_POPUP;
    DWORD exStyle = 0;
    COLORREF backColor = RGB(0, 0, 0);
};

class Form : public Container {
public:
    Form(std::wstring title, FormStyle style);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the hidden top-level window and runs the load handler once.
    bool Load();
    // Shows the form; a modal show returns when the form has been unloaded.
    void Show(bool modal = false);
    void Hide();
    // Runs the close handler, then the unload handler, and destroys the window.
    void Unload();
    bool Loaded() const { return hwnd_ != nullptr; }
    HWND Hwnd() const { return hwnd_; }
    const std::wstring& Title() const { return title_; }

    // Position and size of the window in twips.
    void Move(int left, int top, int width, int height);
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    ScaleMode GetScaleMode() const override { return scaleMode_; }
    void SetScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    // Read from the screen once, when the form loads; before that every call
    // asks the screen.
    float TwipsPerPixelX() const override;
    float TwipsPerPixelY() const override;
    HWND ContainerHwnd() const override { return hwnd_; }
    Form& OwnerForm() override { return *this; }
    void PaintFace(HDC dc) override;

    // What reusable controls ask their container: run mode (false in a
    // designer, which only a test host imitates) and the form's font.
    bool UserMode() const { return userMode_; }
    void SetUserMode(bool userMode) { userMode_ = userMode; }
    const FontSpec& Font() const { return font_; }
    void SetFont(FontSpec font) { font_ = std::move(font); }
    void SetIcon(HICON big, HICON small);

    // Moves the keyboard focus to the next (or previous) control in tab order.
    void FocusNext(bool backwards);

    void AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);

protected:
    // Places and sizes the controls and makes their fonts and pictures, once
    // the screen's twips per pixel is known and before any window exists: the
    // one place where a form's layout follows the screen.
    virtual void ApplyLayout() {}
    virtual void OnLoad() {}
    virtual void OnClose() {}
    virtual void OnUnload() {}
    virtual void OnPaint(HDC) {}
    // Other messages; return true when handled (result in *result).
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    void ApplyGeometry();
    void Forget();

    std::wstring title_;
    FormStyle style_;
    HWND hwnd_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    ScaleMode scaleMode_ = ScaleMode::Twips;
    float twipsPerPixelX_ = 0, twipsPerPixelY_ = 0;  // 0 until the load reads them
    std::map<UINT_PTR, Timer*> timers_;
    bool modalDone_ = false;
    bool shown_ = false;
    bool userMode_ = true;
    FontSpec font_ = DefaultFont();
};

// Runs the user-interface loop until no form is loaded; returns the exit code.
int RunMessageLoop();
// The keyboard handling every message loop of the program does first (the
// tab key moves the focus); true when the message was used up.
bool PreTranslate(MSG& msg);
// The hidden window that owns every top-level form; its WM_CLOSE unloads them all.
HWND OwnerWindow();
// How many forms are loaded.
int LoadedFormCount();
// The form whose window is hwnd or an ancestor of it; null for other windows.
Form* FormOf(HWND hwnd);

}  // namespace forms
