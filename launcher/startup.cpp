#include "startup.h"

#include <cstdlib>

#include "rounding.h"

char SwitchLetter(const std::string& arguments) {
    if (arguments.size() < 2) return 0;
    const char c = arguments[1];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::int32_t LenientInt32(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        bool expDigits = false;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && exponent.size() < 8) {
            exponent += text[j++];
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    // Infinity (an overflow) is out of range too.
    return RoundToInt32(std::strtod(number.c_str(), nullptr)).value_or(0);
}

std::int32_t PreviewParent(const std::string& arguments) {
    return arguments.size() > 3 ? LenientInt32(arguments.substr(3)) : 0;
}

StartupOutcome RunStartup(StartupPlatform& platform, const std::string& arguments,
                          const std::string& programFolder, StartupState& state) {
    // Both are always asked, even when the first one answers.
    const bool running = platform.WindowExists(kRunFormTitle);
    const bool configuring = platform.WindowExists(kSettingsTitle);
    if (running || configuring) return StartupOutcome::End;

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
