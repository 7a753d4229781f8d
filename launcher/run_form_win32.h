// Nimbel_S: the hidden form that carries a saver run. It hands the ring
// texture to the renderer as a file, starts the renderer and the music,
// watches the renderer's window and cleans up when the run is over.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "form_win32.h"
#include "nimbel_bgm.h"
#include "renderer_watch.h"
#include "settings.h"

extern std::int32_t CursorCount;

class RunForm : public forms::Form {
public:
    RunForm(char switchLetter, std::string launcherFolder, MusicSettings music);
    ~RunForm() override;

    forms::PictureBox display{*this};  // Display: the 64 x 64 ring texture
    forms::Timer timer1;               // MP3 repeat, 1000 ms
    forms::Timer timer2;               // CD poll, 200 ms
    forms::Timer timer3;               // renderer watch, 500 ms
    std::string RendererPath;

protected:
    void OnLoad() override;
    void OnClose() override;

private:
    void WatchRenderer();
    void PollCd();
    void WriteTexture();

    char switchLetter_;
    std::string launcherFolder_;
    MusicSettings musicSettings_;
    std::unique_ptr<Nimbel_BGM> music_;
    MusicSource source_ = MusicSource::None;
    HANDLE renderer_ = nullptr;  // held, never waited on or ended
    std::unique_ptr<RendererWatch> watch_;
    ULONGLONG loadedAt_ = 0;
};

// Loads the run form without showing it: Main's /s and no-argument branch.
void LoadRunFormFor(char switchLetter, const std::string& launcherFolder, const StoredSettings& settings);
