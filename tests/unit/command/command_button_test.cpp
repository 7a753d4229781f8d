// The Command button's event table, row by row, from every state, and what
// it stores.
#include "command_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace command;

namespace {
const char* Name(Skin skin) {
    static const char* const names[] = {"Normal", "HighLight", "HighLightSelect", "Selected", "Pressed", "Disable"};
    return names[static_cast<int>(skin)];
}

struct Recorder : CommandView {
    std::string log;
    void PaintSkin(Skin skin, bool hover) override { log += std::string(Name(skin)) + (hover ? "/h " : " "); }
    void SetCaptionEnabled(bool on) override { log += on ? "text " : "grey "; }
    void StartMouseTimer() override { log += "timer "; }
    void RaiseClick() override { log += "CLICK "; }
    void PropertyChanged(std::string_view name) override { log += "changed:" + std::string(name) + " "; }
};

// A button brought to a state by real events, with the log cleared. State 4
// is reached from 3 (pointer over a focused button: normal gradient).
struct Fixture {
    Recorder view;
    CommandButton button{view};
    explicit Fixture(int state) {
        button.InitProperties(FontSpec{});
        if (state != kUninitialised) button.Initialize();
        if (state == kHover) button.MouseMove();
        if (state == kFocused || state == kFocusedHover) button.GotFocus();
        if (state == kFocusedHover) button.MouseMove();
        view.log.clear();
    }
};
}  // namespace

TEST(CommandButton, EventTable) {
    enum Event { Move, TickAway, TickOver, Focus, Blur, LeftDown, LeftUp, RightUp, MiddleUp, Resize };
    struct Row {
        int state;
        Event event;
        int after;
        const char* log;
    };
    const Row rows[] = {
        {kNormal, Move, kHover, "HighLight/h "},
        {kHover, Move, kHover, ""},
        {kFocused, Move, kFocusedHover, "HighLightSelect "},  // keeps the normal gradient of state 3
        {kUninitialised, Move, kUninitialised, ""},           // no hover tracking before Initialize
        {kHover, TickAway, kNormal, "Normal "},
        {kFocusedHover, TickAway, kFocused, "Selected "},
        {kFocused, TickAway, kFocused, ""},
        {kHover, TickOver, kHover, ""},
        {kNormal, Focus, kFocused, "Selected "},
        {kHover, Focus, kFocusedHover, "Pressed/h "},  // focus arriving under the pointer
        {kUninitialised, Focus, kFocused, "Selected "},
        {kFocused, Blur, kNormal, "Normal "},
        {kFocusedHover, Blur, kNormal, "Normal "},
        {kUninitialised, Blur, kNormal, "Normal "},
        {kNormal, Blur, kNormal, ""},
        {kHover, LeftDown, kHover, "Pressed/h "},
        {kHover, LeftUp, kHover, "Normal/h CLICK "},
        {kFocusedHover, LeftUp, kFocusedHover, "HighLightSelect CLICK "},
        {kNormal, LeftUp, kNormal, "CLICK "},
        {kFocused, LeftUp, kFocused, ""},  // released after dragging off: no click
        {kHover, RightUp, kHover, "CLICK "},
        {kFocusedHover, MiddleUp, kFocusedHover, "CLICK "},
        {kFocused, RightUp, kFocused, ""},
        {kFocusedHover, Resize, kFocusedHover, "Normal text "},  // repaints, state stays
    };
    for (const Row& row : rows) {
        Fixture f(row.state);
        CommandButton& b = f.button;
        switch (row.event) {
        case Move: b.MouseMove(); break;
        case TickAway: b.TimerTick(false); break;
        case TickOver: b.TimerTick(true); break;
        case Focus: b.GotFocus(); break;
        case Blur: b.LostFocus(); break;
        case LeftDown: b.ButtonDown(1); break;
        case LeftUp: b.ButtonUp(1); break;
        case RightUp: b.ButtonUp(2); break;
        case MiddleUp: b.ButtonUp(4); break;
        case Resize: b.Resize(); break;
        }
        EXPECT_EQ(b.State(), row.after) << "state " << row.state << " event " << row.event;
        EXPECT_EQ(f.view.log, row.log) << "state " << row.state << " event " << row.event;
    }
}

TEST(CommandButton, TypicalClicksAndDragOff) {
    Fixture f(kNormal);
    CommandButton& b = f.button;
    // Pointer enters, the press brings the focus, the release clicks.
    b.MouseMove(), b.GotFocus(), b.ButtonDown(1), b.ButtonUp(1);
    EXPECT_EQ(f.view.log, "HighLight/h Pressed/h Pressed/h HighLightSelect/h CLICK ");
    // Press, drag off (the poll sees another window), release: Selected, no click.
    f.view.log.clear();
    b.ButtonDown(1), b.TimerTick(false), b.MouseMove(), b.ButtonUp(1);
    EXPECT_EQ(f.view.log, "Pressed/h Selected ");
    EXPECT_EQ(b.State(), kFocused);
}

TEST(CommandButton, DisabledIgnoresAllButResize) {
    Fixture f(kHover);
    f.button.SetEnabled(false);
    EXPECT_EQ(f.view.log, "changed:Enabled Disable/h grey ");
    f.view.log.clear();
    CommandButton& b = f.button;
    b.MouseMove(), b.TimerTick(false), b.GotFocus(), b.LostFocus(), b.ButtonDown(1), b.ButtonUp(1), b.ButtonUp(2);
    EXPECT_EQ(f.view.log, "");
    EXPECT_EQ(b.State(), kHover);
    b.Resize();
    EXPECT_EQ(f.view.log, "Disable/h grey ");
}

TEST(CommandButton, GetterSideEffects) {
    Fixture f(kNormal);
    CommandButton& b = f.button;
    b.SetFontColour(Colour{0x0000FF});
    f.view.log.clear();
    // Never stored: the first Enabled read refreshes the look, which resets
    // the caption colour, and marks the button as initialised.
    EXPECT_TRUE(b.Enabled());
    EXPECT_EQ(f.view.log, "text Normal Normal text ");
    EXPECT_EQ(b.FirstRun(), 1);
    EXPECT_EQ(b.CaptionColour(), Colour{0});
    f.view.log.clear();
    b.SetFontColour(Colour{0x0000FF});
    EXPECT_EQ(b.FontColour(), Colour{0x0000FF});
    EXPECT_EQ(f.view.log, "text Normal changed:FontColour text Normal ");
    f.view.log.clear();
    EXPECT_TRUE(b.Visible());
    EXPECT_EQ(f.view.log, "text Normal ");
    b.SetVisible(false);
    f.view.log.clear();
    EXPECT_FALSE(b.Visible());
    EXPECT_EQ(f.view.log, "");
}

TEST(CommandButton, StoresOnlyWhatDiffersInItsOrderAndReadsItBack) {
    const FontSpec ambient{"Ambient", 900, 400, false, false, false, 128};
    Recorder view;
    CommandButton b(view);
    b.InitProperties(ambient);
    PropertyStore untouched;
    b.WriteProperties(untouched, ambient);
    ASSERT_EQ(untouched.Count(), 1u);  // FirstRun 0 differs from the stored default 1
    EXPECT_EQ(untouched.Entries()[0].key, "firstrun");

    PropertyStore store;
    b.Enabled();  // FirstRun 1: the colour now survives RefreshLook
    b.SetVisible(false);
    b.SetFontColour(Colour{0x123456});
    b.SetFont(FontSpec{"Other", 975, 400, false, false, false, 128});
    b.SetCaption("\xE8\xA8\xAD\xE5\xAE\x9A");  // 設定
    b.SetEnabled(false);
    b.WriteProperties(store, ambient);
    std::vector<std::string> keys;
    for (const auto& e : store.Entries()) keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"enabled", "caption", "font", "fontcolour", "visible"}));

    CommandButton again(view);
    again.ReadProperties(store, ambient);
    EXPECT_FALSE(again.IsEnabled());
    EXPECT_EQ(again.Caption(), "\xE8\xA8\xAD\xE5\xAE\x9A");
    EXPECT_EQ(again.Font().name, "Other");
    EXPECT_EQ(again.CaptionColour(), Colour{0x123456});
    EXPECT_FALSE(again.Opaque());
    // A stored button without the key is initialised: FirstRun reads 1.
    CommandButton fresh(view);
    fresh.ReadProperties(PropertyStore{}, ambient);
    EXPECT_EQ(fresh.FirstRun(), 1);
    EXPECT_EQ(fresh.Caption(), "Command");
    EXPECT_EQ(fresh.Font(), ambient);
}
