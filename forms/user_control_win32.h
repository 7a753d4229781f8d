// The host of reusable controls: a child window on a form (or on a picture
// box of one) that keeps its design-time values in a property store, hears
// its container's ambient values, raises events to it, and gets the focus,
// mouse, pointer, paint, show and hide handling a control needs. It carries
// no rules of any particular control: those live in the controls.
//
// Life cycle: construction, then (when the container's window exists) the
// window is made and the stored values are read, or the defaults set when
// nothing was stored, then the first resize; shown and hidden follow the
// form; the window's end runs OnTerminate.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "form_win32.h"
#include "gdi_win32.h"
#include "mouse_tracker.h"
#include "property_store.h"

namespace forms {

class UserControl : public WindowedControl {
public:
    ~UserControl() override;

    // The bag the container stored for this instance (design data embedded
    // in the program). Read when the window is made; a bag that does not
    // parse counts as none, so the control starts from its defaults.
    void SetDesignData(std::span<const std::uint8_t> bag);
    PropertyStore& Properties() { return properties_; }
    // Writes the control's values into its store and returns the bag.
    std::vector<std::uint8_t> StoreProperties();

    bool AmbientUserMode() const { return container_.OwnerForm().UserMode(); }
    FontSpec AmbientFont() const { return container_.OwnerForm().Font(); }
    // The window of the form the control lies on (not of a picture box).
    HWND ParentFormHwnd() const { return container_.OwnerForm().Hwnd(); }

    // Repaints now.
    void Refresh();
    void SetBackColor(COLORREF colour) { backColor_ = colour; }
    // Opaque: the control is cleared to its back colour. Transparent: to
    // what its container shows beneath it.
    void SetBackStyleOpaque(bool opaque) { opaque_ = opaque; }
    bool BackStyleOpaque() const { return opaque_; }
    bool IsShown() const { return shown_; }

    void ParentShown(bool shown) override;
    void Layout() override;
    void Realize() override;

protected:
    explicit UserControl(Container& container, DWORD extraStyle = 0);

    // The size a control placed without one takes (both width and height 0
    // when its window is made), in twips; none by default.
    void SetDefaultSize(int widthTwips, int heightTwips) {
        defaultWidthTwips_ = widthTwips;
        defaultHeightTwips_ = heightTwips;
    }

    // Persistence: defaults for a new instance, or the stored values.
    virtual void InitProperties() {}
    virtual void ReadProperties(const PropertyStore&) {}
    virtual void WriteProperties(PropertyStore&) {}
    // Tells the container that a property changed (the form needs saving).
    void PropertyChanged(std::string_view name) { properties_.NotifyChanged(name); }

    virtual void OnResize() {}
    // Painting: a control with a persistent image draws into ImageDc() and
    // calls Refresh(); OnPaint then draws over the shown image (windowless
    // parts such as a caption). Without one, OnPaint draws everything.
    virtual void OnPaint(HDC) {}
    virtual void OnShow() {}
    virtual void OnHide() {}
    virtual void OnGotFocus() {}
    virtual void OnLostFocus() {}
    // x and y in the control's pixels.
    virtual void OnMouseDown(const MouseEventArgs&) {}
    virtual void OnMouseUp(const MouseEventArgs&) {}
    virtual void OnMouseMove(const MouseEventArgs&) {}
    // A left press and release over the control.
    virtual void OnClick() {}
    virtual void OnTerminate() {}
    // Whether a click gives the control the focus.
    virtual bool CanGetFocus() const { return true; }

    // The persistent image, the size of the control.
    void SetAutoRedraw(bool on);
    HDC ImageDc() const { return image_.Dc(); }
    // Clears the persistent image (see SetBackStyleOpaque).
    void ClearImage();
    int ClientWidth() const;
    int ClientHeight() const;

    void Created() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void OnPaintMessage();
    void OnSizeMessage();
    void OnDestroyMessage();
    // The window's mouse messages; false for other messages.
    bool HandleMouse(const MouseMessage& input);
    static MouseEventArgs ArgsOf(const MouseMessage& input);
    void ButtonPressed(const MouseMessage& input);
    void ButtonReleased(const MouseMessage& input);
    void ResizeImage();
    void FillBackground(HDC dc);

    PropertyStore properties_;
    std::vector<std::uint8_t> designData_;
    bool autoRedraw_ = false;
    MemoryDc image_;
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    bool opaque_ = true;
    bool shown_ = false;
    int defaultWidthTwips_ = 0, defaultHeightTwips_ = 0;
    MouseTracker mouse_;
};

}  // namespace forms
