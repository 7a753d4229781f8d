// Start-up of the screen-saver program: the single-instance check and the
// dispatch of the screen-saver switches. The platform is reached through
// StartupPlatform, so the rules run the same in native tests.
#pragma once
#include <cstdint>
#include <string>

#include "saver_contract.h"

// Character 2 of the upper-cased arguments text ("/s" gives 'S'), or 0 when
// the text is shorter than two characters. Character 1 is never looked at.
char SwitchLetter(const std::string& arguments);

// The /p handle: the arguments from character 4 on ("/p 1234", "/p:1234").
std::int32_t PreviewParent(const std::string& arguments);

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    virtual bool WindowExists(const char* title) = 0;
    // Restores the top-level window of that title if minimised and makes it
    // the foreground window; nothing if there is none.
    virtual void BringToFront(const char* title) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual void ShowMissingRendererMessage() = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    virtual void LoadSettings() = 0;
    virtual void ShowSettingsDialog() = 0;  // modal
    virtual std::int32_t HideCursor() = 0;  // ShowCursor(FALSE)
    virtual void LoadRunForm() = 0;
    virtual void ShowPreview(std::int32_t parent) = 0;
};

enum class StartupOutcome {
    End,      // nothing is left loaded: the process ends
    RunLoop,  // a form is loaded: run the user-interface loop
};

struct StartupState {
    char letter = 0;
    std::int32_t cursorCount = 0;  // from hiding the cursor for /s
};

StartupOutcome RunStartup(StartupPlatform& platform, const std::string& arguments, const std::string& programFolder,
                          StartupState& state);
