#include "startup.h"

#include "code_page.h"
#include "number_text.h"

char SwitchLetter(const std::string& arguments) {
    if (arguments.size() < 2) return 0;
    return AsciiUpper(arguments[1]);
}

std::int32_t PreviewParent(const std::string& arguments) {
    return arguments.size() > 3 ? LenientInt32(arguments.substr(3)) : 0;
}

StartupOutcome RunStartup(StartupPlatform& platform, const std::string& arguments, const std::string& programFolder,
                          StartupState& state) {
    // Both are always asked, even when the first one answers.
    const bool running = platform.WindowExists(kRunFormTitle);
    const bool configuring = platform.WindowExists(kSettingsTitle);
    if (running || configuring) {
        // A second "Settings" finds its dialog buried under other windows:
        // show it. A run is never disturbed, whatever else is open.
        if (configuring && !running && SwitchLetter(arguments) == 'C') platform.BringToFront(kSettingsTitle);
        return StartupOutcome::End;
    }

    state.letter = SwitchLetter(arguments);
    if (state.letter == 'P') {
        platform.ShowPreview(PreviewParent(arguments));
        return StartupOutcome::RunLoop;
    }
    if (!platform.FileExists(programFolder + kRendererName)) {
        platform.ShowMissingRendererMessage();
        return StartupOutcome::End;
    }
    platform.CreateFolder(kScratchFolder);
    platform.LoadSettings();
    if (state.letter == 'A') return StartupOutcome::End;
    if (state.letter == 'C') {
        platform.ShowSettingsDialog();
        return StartupOutcome::End;
    }
    if (state.letter != 'S' && !arguments.empty()) return StartupOutcome::End;
    if (state.letter == 'S') state.cursorCount = platform.HideCursor();
    platform.LoadRunForm();
    return StartupOutcome::RunLoop;
}
