#include "run_form_win32.h"

#include "app_win32.h"
#include "picture_file_win32.h"
#include "resource_ids.h"
#include "scratch_cleanup.h"
#include "startup.h"
#include "system_multimedia.h"

RunForm::RunForm(char switchLetter, std::string launcherFolder, MusicSettings music)
    : Form(forms::Widen(kRunFormTitle), forms::FormStyle{WS_POPUP, WS_EX_TOOLWINDOW, RGB(0, 0, 0)}),
      timer1(*this, 1000, [this] { music_->RepeatMp3Music(); }),
      timer2(*this, 200, [this] { PollCd(); }),
      timer3(*this, 500, [this] { WatchRenderer(); }),
      switchLetter_(switchLetter),
      launcherFolder_(std::move(launcherFolder)),
      musicSettings_(std::move(music)) {
    SetScaleMode(forms::ScaleMode::Pixels);
    display.Move(0, 0, 64, 64);
}

RunForm::~RunForm() {
    if (renderer_) CloseHandle(renderer_);
}

void RunForm::WriteTexture() {
    display.SetPicture(forms::Picture::FromResource(IDB_RING_TEXTURE));
    forms::WritePictureAsBitmap(display.GetPicture(), kHandOffPath);
}

void RunForm::OnLoad() {
    loadedAt_ = GetTickCount64();
    timer3.SetEnabled(true);
    // 1. The texture is complete and closed before the renderer starts.
    WriteTexture();
    // 2. and 3. The renderer, with no arguments, not waited for.
    RendererPath = launcherFolder_ + kRendererName;
    renderer_ = forms::StartProgram(RendererPath);
    watch_ = std::make_unique<RendererWatch>(renderer_ != nullptr);
    // 4. and 5. The music the settings chose.
    source_ = MusicSourceFor(musicSettings_);
    music_ = std::make_unique<Nimbel_BGM>(SystemMultimedia(), musicSettings_);
    switch (source_) {
    case MusicSource::Cd:
        music_->StartCdMusic();
        timer2.SetEnabled(true);
        break;
    case MusicSource::Wav: music_->StartWavMusic(); break;
    case MusicSource::Mp3:
        music_->StartMp3Music();
        timer1.SetEnabled(true);
        break;
    case MusicSource::None: break;
    }
}

void RunForm::PollCd() {
    music_->PollCdMusic();
    timer2.SetEnabled(music_->CdPollActive() != 0);
}

void RunForm::WatchRenderer() {
    const bool window = FindWindowA(nullptr, kRendererWindowName) != nullptr;
    const bool ended = renderer_ && WaitForSingleObject(renderer_, 0) == WAIT_OBJECT_0;
    const auto since = static_cast<std::int64_t>(GetTickCount64() - loadedAt_);
    if (watch_->Tick(window, ended, since) == RendererWatch::Verdict::KeepWatching) return;
    timer3.SetEnabled(false);
    Unload();
}

void RunForm::OnClose() {
    if (timer2.Enabled()) {
        timer2.SetEnabled(false);
        music_->StopCdMusic();
    }
    if (source_ == MusicSource::Wav) music_->StopWavMusic();
    if (source_ == MusicSource::Mp3) {
        timer1.SetEnabled(false);
        music_->StopMp3Music();
    }
    if (switchLetter_ == 'S') CursorCount = ShowCursor(TRUE);
    // Only plain files in the real folder, held so that it cannot be swapped
    // for a link meanwhile; then the folder, if nothing else is left in it.
    ClearScratchFolder(SystemScratchFolderAccess(), kScratchFolder);
    forms::End();
}

void LoadRunFormFor(char switchLetter, const std::string& launcherFolder, const StoredSettings& settings) {
    static RunForm form(switchLetter, launcherFolder, MusicSettingsFrom(settings, SystemAnsiCodePage()));
    form.Load();
}
