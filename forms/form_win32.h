// The form engine's windows: forms (a top-level window each, hidden until
// shown), their controls, and the program's message loop. Forms and controls
// are laid out in twips, like the launcher's design data.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace forms {

class Form;

enum class ScaleMode { Twips, Pixels };

// A picture held by a control: a device-independent bitmap. Owns its handle.
class Picture {
public:
    Picture() = default;
    explicit Picture(HBITMAP bitmap);
    ~Picture();
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // A bitmap resource of the program (RT_BITMAP), as a DIB section.
    static Picture FromResource(int id);
    HBITMAP Handle() const { return bitmap_; }
    SIZE Size() const;
    explicit operator bool() const { return bitmap_ != nullptr; }

private:
    HBITMAP bitmap_ = nullptr;
};

// A control drawn by its form (no window of its own). Geometry in the form's
// scale unit.
class Control {
public:
    explicit Control(Form& form);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    void Move(int left, int top, int width, int height);
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
    // Bounds in client pixels.
    RECT PixelRect() const;
    virtual void Paint(HDC dc) = 0;
    virtual void Layout() {}
    // Called when the form's window exists: controls with windows make theirs.
    virtual void Realize() {}

protected:
    void Invalidate();
    Form& form_;

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
};

class Image : public Control {
public:
    using Control::Control;
    // Takes the picture's size unless stretching.
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
    void SetFont(const wchar_t* face, int pointSize, bool bold = false);
    void SetAlignment(Alignment alignment);
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    void SetBackColor(COLORREF colour) { backColor_ = colour; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void Paint(HDC dc) override;
    ~Label() override;

private:
    std::wstring caption_;
    COLORREF foreColor_ = RGB(0, 0, 0);
    COLORREF backColor_ = RGB(255, 255, 255);
    HFONT font_ = nullptr;
    Alignment alignment_ = Alignment::Left;
    bool transparent_ = true;
    bool enabled_ = true;
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
    void Paint(HDC) override {}
    void Layout() override;
    void Realize() override;

protected:
    WindowedControl(Form& form, const wchar_t* windowClass, DWORD style)
        : Control(form), windowClass_(windowClass), style_(style) {}
    virtual void Created() {}
    HWND hwnd_ = nullptr;

private:
    const wchar_t* windowClass_;
    DWORD style_;
};

class ComboBox : public WindowedControl {
public:
    explicit ComboBox(Form& form);
    void AddItem(const std::wstring& item);
    void Clear();
    int ListCount() const;
    int ListIndex() const;
    void SetListIndex(int index);
    std::wstring Text() const;
    void SetEnabled(bool enabled);

protected:
    void Created() override;
};

// A child window with its own device context for drawing into.
class PictureBox : public WindowedControl {
public:
    explicit PictureBox(Form& form);
    void SetPicture(Picture picture);
    const Picture& GetPicture() const { return picture_; }
    HDC Dc() const;
    void SetScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    ScaleMode GetScaleMode() const { return scaleMode_; }
    void Refresh();
    std::function<void(HDC)> onPaint;
    void PaintSelf(HDC dc);

protected:
    void Created() override;

private:
    Picture picture_;
    ScaleMode scaleMode_ = ScaleMode::Twips;
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

class Form {
public:
    Form(std::wstring title, FormStyle style);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the hidden top-level window and runs the load handler once.
    bool Load();
    // Shows the form; a modal show returns when the form has been unloaded.
    void Show(bool modal = false);
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

    ScaleMode GetScaleMode() const { return scaleMode_; }
    void SetScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    // A length in the form's scale unit, in pixels.
    int ToPixelsX(int v) const;
    int ToPixelsY(int v) const;

    void AddControl(Control* control);
    void RemoveControl(Control* control);
    void AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);
    void Repaint();

protected:
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
    std::vector<Control*> controls_;
    std::map<UINT_PTR, Timer*> timers_;
    bool modalDone_ = false;
};

// Runs the user-interface loop until no form is loaded; returns the exit code.
int RunMessageLoop();
// The hidden window that owns every top-level form; its WM_CLOSE unloads them all.
HWND OwnerWindow();
// How many forms are loaded.
int LoadedFormCount();

}  // namespace forms
