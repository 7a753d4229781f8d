// Entry of the screen-saver program: the single-instance check, then the
// screen-saver switch decides which window carries the process.
#include <windows.h>

#include "app_win32.h"
#include "form_win32.h"
#include "file_access.h"
#include "preview_form_win32.h"
#include "nimbel_p_win32.h"
#include "run_form_win32.h"
#include "settings.h"
#include "startup.h"

std::int32_t CursorCount = 0;

namespace {
StartupState startup;

class Win32Startup final : public StartupPlatform {
public:
    explicit Win32Startup(std::string folder) : folder_(std::move(folder)) {}
    bool WindowExists(const char* title) override { return FindWindowA(nullptr, title) != nullptr; }
    void BringToFront(const char* title) override {
        HWND window = FindWindowA(nullptr, title);
        if (!window) return;
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
    bool FileExists(const std::string& path) override { return ::FileExists(SystemFileAccess(), path); }
    void ShowMissingRendererMessage() override {
        forms::MessageBoxOk(forms::Widen("Velmora.dll が同じﾌｫﾙﾀﾞに見つかりません！"));
    }
    void CreateFolder(const std::string& path) override { forms::CreateFolder(path); }
    void LoadSettings() override { settings_ = ::LoadSettings(SystemFileAccess(), SystemAnsiText(), folder_); }
    void ShowSettingsDialog() override {
        ::ShowSettingsDialog(settings_, [this](const StoredSettings& chosen) {
            return ::SaveSettings(SystemFileAccess(), folder_, chosen);
        });
    }
    std::int32_t HideCursor() override { return ShowCursor(FALSE); }
    void LoadRunForm() override { LoadRunFormFor(startup.letter, folder_, settings_); }
    void ShowPreview(std::int32_t parent) override { ::ShowPreview(parent); }

private:
    std::string folder_;
    StoredSettings settings_;  // empty until loaded: a preview reads nothing
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string folder = forms::ProgramFolder();
    Win32Startup platform(folder);
    const StartupOutcome outcome = RunStartup(platform, forms::ArgumentsText(), folder, startup);
    CursorCount = startup.cursorCount;
    if (outcome == StartupOutcome::RunLoop) forms::RunMessageLoop();
    forms::End();
}
