// The controls with windows of their own, children of their container's
// window: combo boxes and picture boxes (reusable controls: user_control_win32.h).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "container_win32.h"
#include "font_win32.h"

namespace forms {

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

}  // namespace forms
