// Any bytes as the screen saver's arguments text: the switch letter, the
// lenient number parse and the /p handle never fail, and start-up with a
// fake platform makes exactly the calls of the switch table, in order:
// never both the run form and the settings dialog, never the preview with
// anything but the instance check.
//
// Input: the arguments text from the start; from the end, which marker
// windows exist, whether the renderer is there, what ShowCursor answers, a
// number for the lenient parse and the program folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "number_text.h"
#include "startup.h"

namespace {
void Require(bool condition) {
    if (!condition) __builtin_trap();
}

class FakePlatform final : public StartupPlatform {
public:
    bool runFormExists = false;
    bool settingsExists = false;
    bool rendererExists = false;
    std::int32_t cursorCount = 0;
    std::vector<std::string> calls;

    bool WindowExists(const char* title) override {
        calls.push_back(std::string("window ") + title);
        const std::string t(title);
        return t == kRunFormTitle ? runFormExists : t == kSettingsTitle ? settingsExists : false;
    }
    bool FileExists(const std::string& path) override {
        calls.push_back("exists " + path);
        return rendererExists;
    }
    void BringToFront(const char* title) override { calls.push_back(std::string("front ") + title); }
    void ShowMissingRendererMessage() override { calls.push_back("message"); }
    void CreateFolder(const std::string& path) override { calls.push_back("folder " + path); }
    void LoadSettings() override { calls.push_back("settings"); }
    void ShowSettingsDialog() override { calls.push_back("dialog"); }
    std::int32_t HideCursor() override {
        calls.push_back("hide cursor");
        return cursorCount;
    }
    void LoadRunForm() override { calls.push_back("run form"); }
    void ShowPreview(std::int32_t parent) override { calls.push_back("preview " + std::to_string(parent)); }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The switch letter, the lenient number parse and the /p handle on any text,
// and a whole number followed by anything that cannot continue it.
void CheckArgumentReading(const std::string& whole, const std::string& arguments, std::int32_t number) {
    for (const std::string* text : {&whole, &arguments}) {
        // The switch letter: character 2, ASCII letters upper-cased.
        const char letter = SwitchLetter(*text);
        if (text->size() < 2) {
            Require(letter == 0);
        } else {
            const char c = (*text)[1];
            Require(letter == ((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c));
        }
        Require(PreviewParent(*text) == (text->size() > 3 ? LenientInt32(text->substr(3)) : 0));
        // No digit at all is 0.
        bool digits = false;
        for (char c : *text) digits = digits || IsDigit(c);
        if (!digits) Require(LenientInt32(*text) == 0);
    }
    // A whole number, with blanks before it and anything after it that
    // cannot continue a number, reads as itself.
    std::string tail = arguments.substr(0, 16);
    if (tail.empty() || !(IsDigit(tail[0]) || tail[0] == '.' || tail[0] == 'e' || tail[0] == 'E')) {
        Require(LenientInt32(" \t" + std::to_string(number) + tail) == number);
        Require(PreviewParent("/p:" + std::to_string(number) + tail) == number);
        Require(PreviewParent("/p " + std::to_string(number) + tail) == number);
    }
}

// The calls of the switch table after the two marker checks, and the outcome.
StartupOutcome ExpectedDispatch(const FakePlatform& platform, const std::string& arguments, const std::string& folder,
                                std::vector<std::string>& expected) {
    const char letter = SwitchLetter(arguments);
    if (letter == 'P') {
        expected.push_back("preview " + std::to_string(PreviewParent(arguments)));
        return StartupOutcome::RunLoop;
    }
    expected.push_back("exists " + folder + "\\Velmora.dll");
    if (!platform.rendererExists) {
        expected.push_back("message");
        return StartupOutcome::End;
    }
    expected.push_back(std::string("folder ") + kScratchFolder);
    expected.push_back("settings");
    if (letter == 'C') {
        expected.push_back("dialog");
        return StartupOutcome::End;
    }
    if (letter != 'S' && !arguments.empty()) return StartupOutcome::End;
    if (letter == 'S') expected.push_back("hide cursor");
    expected.push_back("run form");
    return StartupOutcome::RunLoop;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string whole(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider input(data, size);
    FakePlatform platform;
    platform.runFormExists = input.ConsumeBool();
    platform.settingsExists = input.ConsumeBool();
    platform.rendererExists = input.ConsumeBool();
    platform.cursorCount = input.ConsumeIntegral<std::int32_t>();
    const std::int32_t number = input.ConsumeIntegral<std::int32_t>();
    const std::string folder = input.ConsumeRandomLengthString(40);
    const std::string arguments = input.ConsumeRemainingBytesAsString();
    CheckArgumentReading(whole, arguments, number);

    // Start-up against the switch table.
    StartupState state;
    const StartupOutcome outcome = RunStartup(platform, arguments, folder, state);
    std::vector<std::string> expected = {std::string("window ") + kRunFormTitle,
                                         std::string("window ") + kSettingsTitle};
    StartupOutcome expectedOutcome = StartupOutcome::End;
    if (!platform.runFormExists && !platform.settingsExists) {
        expectedOutcome = ExpectedDispatch(platform, arguments, folder, expected);
        const char letter = SwitchLetter(arguments);
        Require(state.letter == letter);
        if (letter == 'S' && platform.rendererExists) Require(state.cursorCount == platform.cursorCount);
    } else if (!platform.runFormExists && SwitchLetter(arguments) == 'C') {
        expected.push_back(std::string("front ") + kSettingsTitle);  // only the open dialog, only for /c
    }
    Require(platform.calls == expected);
    Require(outcome == expectedOutcome);
    return 0;
}
