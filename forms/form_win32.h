// The form engine's windows: forms (a top-level window each, hidden until
// shown), their controls, and the program's message loop. Forms and controls
// are laid out in twips, like the launcher's design data, or in pixels.
//
// Controls live in a container: a form, or a picture box on a form. Labels,
// images and shapes are windowless: their container paints them and hands
// them its mouse messages. Combo boxes, picture boxes and reusable controls
// have windows of their own, children of their container's window.
//
// This header brings in the whole engine: forms, controls, timers and the
// message loop, each declared in a header of its own.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "container_win32.h"
#include "font_win32.h"
#include "message_loop_win32.h"
#include "timer_win32.h"
#include "windowed_controls_win32.h"
#include "windowless_controls_win32.h"

namespace forms {

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
    void RunModal();
    void OnTimerMessage(UINT_PTR id);
    void OnDestroyedFromOutside(HWND hwnd);
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

}  // namespace forms
