#include <gtest/gtest.h>

#include <vector>

#include "startup.h"

namespace {
// Records what start-up asked of the platform, in order.
struct FakeStartup final : StartupPlatform {
    std::vector<std::string> calls;
    std::vector<std::string> windows;  // titles that exist
    bool rendererPresent = true;
    std::int32_t previewParent = -1;

    bool WindowExists(const char* title) override {
        calls.push_back(std::string("find ") + title);
        for (const auto& w : windows)
            if (w == title) return true;
        return false;
    }
    void BringToFront(const char* title) override { calls.push_back(std::string("front ") + title); }
    bool FileExists(const std::string& path) override {
        calls.push_back("exists " + path);
        return rendererPresent;
    }
    void ShowMissingRendererMessage() override { calls.push_back("message"); }
    void CreateFolder(const std::string& path) override { calls.push_back("mkdir " + path); }
    void LoadSettings() override { calls.push_back("settings"); }
    void ShowSettingsDialog() override { calls.push_back("dialog"); }
    std::int32_t HideCursor() override {
        calls.push_back("hide cursor");
        return -1;
    }
    void LoadRunForm() override { calls.push_back("run form"); }
    void ShowPreview(std::int32_t parent) override {
        calls.push_back("preview");
        previewParent = parent;
    }
};

using Calls = std::vector<std::string>;
const Calls kChecks = {"find Nimbel_Main", "find <Velmora>", "exists C:\\Saver\\Velmora.dll", "mkdir C:\\q_vesk",
                       "settings"};

Calls With(Calls tail) {
    Calls all = kChecks;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

struct Outcome {
    StartupOutcome outcome;
    Calls calls;
    StartupState state;
};

Outcome Start(const std::string& args, FakeStartup fake = {}) {
    StartupState state;
    const StartupOutcome outcome = RunStartup(fake, args, "C:\\Saver", state);
    return {outcome, fake.calls, state};
}
}  // namespace

TEST(SwitchLetter, IsTheSecondCharacterUpperCased) {
    EXPECT_EQ(SwitchLetter("/s"), 'S');
    EXPECT_EQ(SwitchLetter("-S"), 'S');
    EXPECT_EQ(SwitchLetter("xc:1234"), 'C');
    EXPECT_EQ(SwitchLetter("S"), 0) << "one character is too short";
    EXPECT_EQ(SwitchLetter(""), 0);
    EXPECT_EQ(SwitchLetter("/\x82"), '\x82') << "non-ASCII bytes are left as they are";
}

TEST(PreviewParent, TakesTheTextFromTheFourthCharacter) {
    EXPECT_EQ(PreviewParent("/p 1234"), 1234);
    EXPECT_EQ(PreviewParent("/p:1234"), 1234);
    EXPECT_EQ(PreviewParent("/P  -5"), -5);
    EXPECT_EQ(PreviewParent("/p"), 0);
    EXPECT_EQ(PreviewParent("/p "), 0);
}

TEST(RunStartup, SwitchTable) {
    auto s = Start("/s");
    EXPECT_EQ(s.outcome, StartupOutcome::RunLoop);
    EXPECT_EQ(s.calls, With({"hide cursor", "run form"}));
    EXPECT_EQ(s.state.cursorCount, -1);

    s = Start("");
    EXPECT_EQ(s.outcome, StartupOutcome::RunLoop);
    EXPECT_EQ(s.calls, With({"run form"})) << "no arguments leaves the cursor alone";

    for (const char* args : {"/c", "/c:1234", "-C 77"}) {
        s = Start(args);
        EXPECT_EQ(s.outcome, StartupOutcome::End) << args;
        EXPECT_EQ(s.calls, With({"dialog"})) << args;
    }
    for (const char* args : {"/a", "/x", "S", "/", "/ s"}) {
        s = Start(args);
        EXPECT_EQ(s.outcome, StartupOutcome::End) << args;
        EXPECT_EQ(s.calls, kChecks) << args;
    }
}

TEST(RunStartup, PreviewSkipsEveryOtherCheck) {
    FakeStartup fake;
    fake.rendererPresent = false;
    StartupState state;
    EXPECT_EQ(RunStartup(fake, "/p:1234", "C:\\Saver", state), StartupOutcome::RunLoop);
    EXPECT_EQ(fake.calls, (Calls{"find Nimbel_Main", "find <Velmora>", "preview"}));
    EXPECT_EQ(fake.previewParent, 1234);
}

TEST(RunStartup, MissingRendererShowsTheMessageAndMakesNothing) {
    for (const char* args : {"/s", "/c", "/a", ""}) {
        FakeStartup fake;
        fake.rendererPresent = false;
        StartupState state;
        EXPECT_EQ(RunStartup(fake, args, "C:\\Saver", state), StartupOutcome::End) << args;
        EXPECT_EQ(fake.calls, (Calls{"find Nimbel_Main", "find <Velmora>", "exists C:\\Saver\\Velmora.dll", "message"}))
            << args;
    }
}

TEST(RunStartup, EitherMarkerEndsEveryStartAfterAskingForBoth) {
    const Calls asked = {"find Nimbel_Main", "find <Velmora>"};
    Calls broughtForward = asked;
    broughtForward.push_back("front <Velmora>");
    // Only a second settings start brings the open dialog forward; a run
    // is never disturbed, even with a dialog open beside it.
    const std::vector<std::string> dialogOnly = {"<Velmora>"}, run = {"Nimbel_Main"},
                                   both = {"Nimbel_Main", "<Velmora>"};
    for (const auto* markers : {&run, &dialogOnly, &both}) {
        for (const char* args : {"/s", "/c", "-C:1234", "/p 5", "/a", ""}) {
            FakeStartup fake;
            fake.windows = *markers;
            StartupState state;
            EXPECT_EQ(RunStartup(fake, args, "C:\\Saver", state), StartupOutcome::End);
            const bool forward = markers == &dialogOnly && SwitchLetter(args) == 'C';
            EXPECT_EQ(fake.calls, forward ? broughtForward : asked) << markers->back() << " " << args;
        }
    }
}
