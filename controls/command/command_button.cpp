#include "command_button.h"

namespace command {

namespace {
constexpr int kLeftButton = 1;
}

void CommandButton::Initialize() {
    state_ = kNormal;
    view_.StartMouseTimer();
}

void CommandButton::Paint(Skin skin) {
    // The gradient follows the state; with the focus and the pointer both
    // there it stays as it was, so that state keeps the look it came from.
    if (state_ == kNormal || state_ == kFocused) hoverLook_ = false;
    if (state_ == kHover) hoverLook_ = true;
    view_.PaintSkin(skin, hoverLook_);
}

void CommandButton::MouseLeft() {
    if (!enabled_) return;
    if (state_ == kHover) {
        state_ = kNormal;
        Paint(Skin::Normal);
    } else if (state_ == kFocusedHover) {
        state_ = kFocused;
        Paint(Skin::Selected);
    }
}

void CommandButton::PaintEnabledState() {
    Paint(enabled_ ? Skin::Normal : Skin::Disable);
    view_.SetCaptionEnabled(enabled_);
}

void CommandButton::RefreshLook() {
    if (!enabled_) return;
    view_.SetCaptionEnabled(true);
    if (firstRun_ == 0) fontColour_ = Colour{0};
    Paint(Skin::Normal);
}

void CommandButton::MouseMove() {
    if (!enabled_) return;
    if (state_ == kNormal) {
        state_ = kHover;
        Paint(Skin::HighLight);
    } else if (state_ == kFocused && !pressed_) {
        state_ = kFocusedHover;
        Paint(Skin::HighLightSelect);
    }
}

void CommandButton::TimerTick(bool pointerOverControl) {
    if (!enabled_ || pointerOverControl) return;
    MouseLeft();
}

void CommandButton::GotFocus() {
    if (!enabled_) return;
    if (state_ == kHover) {
        // Focus arriving under the pointer: the press that brought it shows.
        state_ = kFocusedHover;
        Paint(Skin::Pressed);
    } else {
        state_ = kFocused;
        Paint(Skin::Selected);
    }
}

void CommandButton::LostFocus() {
    if (!enabled_ || state_ == kNormal) return;
    state_ = kNormal;
    Paint(Skin::Normal);
}

void CommandButton::ButtonDown(int button) {
    if (!enabled_ || button != kLeftButton) return;
    pressed_ = true;
    Paint(Skin::Pressed);
}

void CommandButton::ButtonUp(int button) {
    if (!enabled_) return;
    if (button == kLeftButton) {
        pressed_ = false;
        if (state_ == kHover) Paint(Skin::Normal);
        if (state_ == kFocusedHover) Paint(Skin::HighLightSelect);
    }
    // Released after dragging off (the poll has moved 4 to 3): no click.
    if (state_ != kFocused) view_.RaiseClick();
}

void CommandButton::Resize() { PaintEnabledState(); }

bool CommandButton::Enabled() {
    if (firstRun_ == 0) {
        RefreshLook();
        firstRun_ = 1;
        enabled_ = true;
    }
    const bool result = enabled_;
    PaintEnabledState();
    return result;
}

void CommandButton::SetEnabled(bool enabled) {
    enabled_ = enabled;
    view_.PropertyChanged("Enabled");
    PaintEnabledState();
}

void CommandButton::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    view_.PropertyChanged("Caption");
}

void CommandButton::SetFont(FontSpec font) {
    font_ = std::move(font);
    view_.PropertyChanged("Font");
}

Colour CommandButton::FontColour() {
    const Colour result = fontColour_;
    RefreshLook();
    return result;
}

void CommandButton::SetFontColour(Colour colour) {
    fontColour_ = colour;
    RefreshLook();
    view_.PropertyChanged("FontColour");
}

bool CommandButton::Visible() {
    if (opaque_) RefreshLook();
    return opaque_;
}

void CommandButton::SetVisible(bool opaque) {
    opaque_ = opaque;
    if (opaque) RefreshLook();
    view_.PropertyChanged("Visible");
}

void CommandButton::InitProperties(const FontSpec& ambientFont) {
    // A new button: the defaults of the stored values; FirstRun stays 0 until
    // Enabled is first read.
    enabled_ = true;
    caption_ = "Command";
    font_ = ambientFont;
    fontColour_ = Colour{0};
    opaque_ = true;
}

void CommandButton::ReadProperties(const PropertyStore& store, const FontSpec& ambientFont) {
    enabled_ = store.Read("Enabled", true);
    caption_ = store.Read("Caption", "Command");
    font_ = store.Read("Font", ambientFont);
    firstRun_ = store.Read("FirstRun", std::uint8_t{1});
    fontColour_ = store.Read("FontColour", Colour{0});
    opaque_ = store.Read("Visible", std::int16_t{1}) != 0;
    RefreshLook();
}

void CommandButton::WriteProperties(PropertyStore& store, const FontSpec& ambientFont) {
    store.Write("Enabled", enabled_, true);
    store.Write("Caption", caption_, std::string("Command"));
    store.Write("FirstRun", firstRun_, std::uint8_t{1});
    store.Write("Font", font_, ambientFont);
    store.Write("FontColour", fontColour_, Colour{0});
    store.Write("Visible", static_cast<std::int16_t>(opaque_ ? 1 : 0), std::int16_t{1});
    RefreshLook();
}

}  // namespace command
