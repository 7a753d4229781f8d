// The Command button on a form: a reusable control that paints what its
// state machine asks (skin border band over a vertical gradient, caption on
// top) and feeds it the window's events. The painted image is kept and shown
// again on every repaint.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "command_button.h"
#include "control_timer_win32.h"
#include "skin_layout.h"
#include "user_control_win32.h"

class Command final : public forms::UserControl, private command::CommandView {
public:
    explicit Command(forms::Container& container);
    ~Command() override;

    // Starts the hover tracking; the container calls it once after loading.
    void Initialize() { model_.Initialize(); }

    // The properties (see CommandButton for their side effects).
    bool Enabled() { return model_.Enabled(); }
    void SetEnabled(bool enabled) override;
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    const FontSpec& Font() const { return model_.Font(); }
    void SetFont(const FontSpec& font);
    Colour FontColour() { return model_.FontColour(); }
    void SetFontColour(Colour colour) { model_.SetFontColour(colour); }
    // The `Visible` property: the background style, never the window's visibility.
    bool VisibleProperty() { return model_.Visible(); }
    void SetVisibleProperty(bool opaque);

    // The Click event.
    std::function<void()> onClick;

    const command::CommandButton& Model() const { return model_; }

protected:
    void InitProperties() override;
    void ReadProperties(const PropertyStore& store) override;
    void WriteProperties(PropertyStore& store) override;
    void OnResize() override { model_.Resize(); }
    void OnPaint(HDC dc) override;
    void OnGotFocus() override { model_.GotFocus(); }
    void OnLostFocus() override { model_.LostFocus(); }
    void OnMouseDown(const forms::MouseEventArgs& e) override { model_.ButtonDown(e.button); }
    void OnMouseUp(const forms::MouseEventArgs& e) override { model_.ButtonUp(e.button); }
    void OnMouseMove(const forms::MouseEventArgs&) override { model_.MouseMove(); }
    bool CanGetFocus() const override { return model_.IsEnabled(); }
    bool CanFocus() const override { return model_.IsEnabled() && WindowedControl::CanFocus(); }

private:
    // What the state machine asks.
    void PaintSkin(command::Skin skin, bool hoverLook) override;
    void SetCaptionEnabled(bool enabled) override;
    void StartMouseTimer() override;
    void RaiseClick() override;
    void PropertyChanged(std::string_view name) override { UserControl::PropertyChanged(name); }

    void PaintGradient(bool hoverLook);
    void PollPointer();
    void RebuildFont();

    command::CommandButton model_{*this};
    forms::ControlTimer tmrMouse_;  // TmrMouse
    forms::OwnedFont font_;
    bool captionEnabled_ = true;
    command::CaptionLine caption_ = {0, 0};  // LblMsg's line, in pixels
};
