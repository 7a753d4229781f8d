// The Command button's behaviour, apart from any window: its state machine
// (normal, hover, focus, focus with hover, pressed), its properties and their
// side effects, and what it stores. The Windows layer feeds events in and
// carries out what the button asks of its view: paint a skin, grey the
// caption, raise Click.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "property_store.h"

namespace command {

// The six skin pictures (HighLightSelect is the same picture as HighLight).
enum class Skin { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };

// The size of a button placed without one.
constexpr int kDefaultWidthTwips = 1755;
constexpr int kDefaultHeightTwips = 420;

// Visual states, the values of m_State.
enum State : std::uint8_t {
    kUninitialised = 0,
    kNormal = 1,
    kHover = 2,         // pointer over the control
    kFocused = 3,       // has the focus
    kFocusedHover = 4,  // has the focus and the pointer is over it
};

class CommandView {
public:
    virtual ~CommandView() = default;
    // Clear, gradient (hover look: light at the top), border band of skin,
    // show, place the caption.
    virtual void PaintSkin(Skin skin, bool hoverLook) = 0;
    virtual void SetCaptionEnabled(bool enabled) = 0;
    virtual void StartMouseTimer() = 0;  // the 100 ms pointer poll
    virtual void RaiseClick() = 0;
    virtual void PropertyChanged(std::string_view name) = 0;
};

class CommandButton {
public:
    explicit CommandButton(CommandView& view) : view_(view) {}

    // The container calls it once after loading: hover tracking starts.
    void Initialize();

    // Events from the window.
    void MouseMove();
    // The poll: whether the window under the pointer is the control's own.
    void TimerTick(bool pointerOverControl);
    void GotFocus();
    void LostFocus();
    void ButtonDown(int button);  // 1 left, 2 right, 4 middle
    void ButtonUp(int button);
    void Resize();

    // Properties, with the side effects of their getters and setters.
    bool Enabled();
    void SetEnabled(bool enabled);
    const std::string& Caption() const { return caption_; }  // UTF-8
    void SetCaption(std::string caption);
    const FontSpec& Font() const { return font_; }
    void SetFont(FontSpec font);
    Colour FontColour();
    void SetFontColour(Colour colour);
    bool Visible();  // the background style: true opaque, false transparent
    void SetVisible(bool opaque);

    // Persistence.
    void InitProperties(const FontSpec& ambientFont);
    void ReadProperties(const PropertyStore& store, const FontSpec& ambientFont);
    void WriteProperties(PropertyStore& store, const FontSpec& ambientFont);

    // Internal state, for the view and for tests; no side effects.
    std::uint8_t State() const { return state_; }
    bool IsEnabled() const { return enabled_; }
    bool Pressed() const { return pressed_; }
    bool HoverLook() const { return hoverLook_; }
    std::uint8_t FirstRun() const { return firstRun_; }
    Colour CaptionColour() const { return fontColour_; }
    bool Opaque() const { return opaque_; }

private:
    void Paint(Skin skin);
    void MouseLeft();
    void PaintEnabledState();
    void RefreshLook();

    CommandView& view_;
    bool enabled_ = false;  // until the defaults or the stored values are set
    std::uint8_t state_ = kUninitialised;
    bool pressed_ = false;
    bool hoverLook_ = false;
    std::uint8_t firstRun_ = 0;
    std::string caption_ = "Command";
    FontSpec font_;
    Colour fontColour_{0};
    bool opaque_ = true;
};

}  // namespace command
