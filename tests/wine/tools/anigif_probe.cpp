// A test form with one ucAniGIF control, driven by a script of steps given
// on the command line; it logs what the control does, one line each, with
// GetTickCount64 where timing matters.
//   anigif_probe LOG STEP...
// Steps (run in order, 20 ms apart unless a wait says otherwise):
//   design                  the control runs as in a form designer (first step only)
//   move:X,Y,W,H            place the control (pixels on the form)
//   file:PATH               LoadAnimatedGIF_File          -> "file 1|0 frames N"
//   array:PATH              LoadAnimatedGIF_Array of the file's bytes -> "array 1|0 frames N"
//   bag:PATH                the file as stored design data ("GIF" and, after
//                           the path, ;key=value pairs: Loops, Stretch, DelayLoad, Mirror)
//   stretch:N mirror:N loops:N delay:N action:N delayload:N
//   hide, show              the form
//   wait:MS                 wait before the next step
//   picture                 read AnimatedGIF, write it back -> "picture 1|0 frames N"
//   starve:file|array|picture  that load (last file, frame on show) with 0, 1, ... allocations allowed until it
//                           loads -> "starve KIND refused N frames F stray S" (S: failures not empty or not for memory)
//   remote:URL              LoadAnimatedGIF_Remote (cancel:1 first makes the handler cancel)
//   cycles:N                N loads of the last file, each followed by a reset
//   steps:N                 N frame advances with Action 3
//   count                   live GDI objects and control timers -> "live G T"
//   state                   "state action A frame F loops L remaining R size W H built B frames N"
//   store                   the control's stored settings -> "stored gif BYTES"
//   ready                   "ready" (the test looks now), then waits for the test's
//                           "go" file beside the log
//   end                     unload the form
// While the control plays, every change of frame is logged: "frame K T".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "anigif_control_win32.h"
#include "app_win32.h"
#include "control_timer_win32.h"
#include "form_win32.h"
#include "gdi_win32.h"
#include "probe_runner_win32.h"

// Memory running out, for the starve step: with an allowance of 0 this
// thread's operator new throws (the library's nothrow and array forms call it).
thread_local long allowance = -1;

void* operator new(std::size_t size) {
    if (allowance == 0) throw std::bad_alloc();
    if (allowance > 0) --allowance;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

namespace {
using probe::Log;
using probe::Tick;

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class ProbeForm : public forms::Form {
public:
    explicit ProbeForm(std::vector<std::string> steps)
        : Form(L"AniGIF Probe", forms::FormStyle{WS_POPUP, 0, RGB(0xFF, 0x00, 0xFF)}), script_(std::move(steps)) {
        SetScaleMode(forms::ScaleMode::Pixels);
        if (!script_.Steps().empty() && script_.Steps().front() == "design") SetUserMode(false);
        gif.Move(10, 10, 240, 100);
        gif.SetBackColor(RGB(0, 0x80, 0));  // transparent pixels show this green
        gif.onLoopsEnded = [] { Log("loopsended " + Tick()); };
        gif.onClick = [] { Log("click"); };
        gif.onMouseDown = [](std::int16_t& b, std::int16_t& s, float& x, float& y) {
            Log("mousedown " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(int(x)) + " " +
                std::to_string(int(y)));
        };
        gif.onRemoteLoadComplete = [this](float& w, float& h, bool& cancel) {
            Log("remotecomplete " + std::to_string(int(w)) + " " + std::to_string(int(h)));
            cancel = cancelRemote_;
        };
        gif.onRemoteLoadFailure = [] { Log("remotefailure"); };
    }

protected:
    void OnLoad() override { stepper_.SetEnabled(true), watch_.SetEnabled(true); }

private:
    void Watch() {
        const int frame = gif.Player().CurrentFrame();
        if (frame != lastFrame_) Log("frame " + std::to_string(frame) + " " + Tick());
        lastFrame_ = frame;
    }

    void Step() {
        stepper_.SetInterval(20);
        if (const std::optional<probe::Step> step = script_.Next()) Run(*step);
    }

    // A step by its name; "ready" is the script's own, "design" and "bag:"
    // act before the form loads, and any other name does nothing.
    void Run(const probe::Step& step) {
        struct PropertyStep {
            std::string_view name;
            void (AniGifSurface::*write)(std::int32_t);
        };
        static constexpr PropertyStep kProperties[] = {
            {"stretch", &AniGifSurface::SetStretch}, {"mirror", &AniGifSurface::SetMirrored},
            {"loops", &AniGifSurface::SetLoops},     {"delay", &AniGifSurface::SetMinFrameDelay},
            {"action", &AniGifSurface::SetAction},   {"delayload", &AniGifSurface::SetDelayAnimation},
        };
        struct NamedStep {
            std::string_view name;
            void (ProbeForm::*run)(const probe::Step& step);
        };
        static constexpr NamedStep kSteps[] = {
            {"move", &ProbeForm::MoveStep},       {"file", &ProbeForm::FileStep},
            {"array", &ProbeForm::ArrayStep},     {"hide", &ProbeForm::HideStep},
            {"show", &ProbeForm::ShowStep},       {"wait", &ProbeForm::WaitStep},
            {"picture", &ProbeForm::PictureStep}, {"starve", &ProbeForm::Starve},
            {"cancel", &ProbeForm::CancelStep},   {"remote", &ProbeForm::RemoteStep},
            {"cycles", &ProbeForm::CyclesStep},   {"steps", &ProbeForm::StepsStep},
            {"count", &ProbeForm::CountStep},     {"state", &ProbeForm::StateStep},
            {"store", &ProbeForm::StoreStep},     {"end", &ProbeForm::EndStep},
        };
        for (const PropertyStep& property : kProperties)
            if (property.name == step.name) return (gif.*property.write)(step.Int());
        for (const NamedStep& named : kSteps)
            if (named.name == step.name) return (this->*named.run)(step);
    }

    void MoveStep(const probe::Step& step) {
        int x, y, w, h;
        if (std::sscanf(step.arg.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) == 4) gif.Move(x, y, w, h);
    }
    void FileStep(const probe::Step& step) {
        lastFile_ = step.arg;
        const bool ok = gif.LoadAnimatedGIF_File(step.arg);
        Log("file " + std::to_string(ok) + " frames " + std::to_string(gif.FrameCount()));
    }
    void ArrayStep(const probe::Step& step) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(step.arg);
        const bool ok = gif.LoadAnimatedGIF_Array(std::span<const std::uint8_t>(bytes));
        Log("array " + std::to_string(ok) + " frames " + std::to_string(gif.FrameCount()));
    }
    void HideStep(const probe::Step&) { Hide(); }
    void ShowStep(const probe::Step&) { Show(false); }
    void WaitStep(const probe::Step& step) { stepper_.SetInterval(static_cast<UINT>(step.Int())); }
    // The frame on show as a picture, written back: the control then plays
    // that one frame.
    void PictureStep(const probe::Step&) {
        const OlePicture picture = gif.AnimatedGIF();
        gif.SetAnimatedGIF(picture.Get());
        Log("picture " + std::to_string(picture ? 1 : 0) + " frames " + std::to_string(gif.FrameCount()));
    }
    void CancelStep(const probe::Step& step) { cancelRemote_ = step.Int() != 0; }
    void RemoteStep(const probe::Step& step) { gif.LoadAnimatedGIF_Remote(step.arg); }
    void CyclesStep(const probe::Step& step) {
        for (int i = 0, n = step.Int(); i < n; ++i) {
            gif.LoadAnimatedGIF_File(lastFile_);
            gif.SetAction(0);
        }
        Log("cycles done frames " + std::to_string(gif.FrameCount()));
    }
    void StepsStep(const probe::Step& step) {
        for (int i = 0, n = step.Int(); i < n; ++i) gif.SetAction(3);
        Log("steps done");
    }
    void CountStep(const probe::Step&) {
        Log("live " + std::to_string(forms::LiveGdiObjects()) + " " + std::to_string(forms::LiveControlTimers()));
    }
    void StateStep(const probe::Step&) {
        Log("state action " + std::to_string(gif.Action()) + " frame " + std::to_string(gif.Player().CurrentFrame()) +
            " loops " + std::to_string(gif.Loops()) + " remaining " + std::to_string(gif.LoopsRemaining()) + " size " +
            std::to_string(gif.Width()) + " " + std::to_string(gif.Height()) + " built " +
            std::to_string(gif.Player().BuiltFrameCount()) + " frames " + std::to_string(gif.FrameCount()));
    }
    void StoreStep(const probe::Step&) {
        PropertyStore stored;
        stored.Parse(gif.StoreProperties());
        Log("stored gif " + std::to_string(stored.Read("GIF", PropertyBytes{}).size()));
    }
    void EndStep(const probe::Step&) { Unload(); }

    // That load with 0, 1, ... allocations allowed, until it loads.
    void Starve(const probe::Step& step) {
        const std::string& kind = step.arg;
        const std::vector<std::uint8_t> bytes = ReadFileBytes(lastFile_);
        const OlePicture picture = gif.AnimatedGIF();
        int refused = 0, stray = 0;
        for (long allowed = 0; allowed < 10000; ++allowed) {
            allowance = allowed;
            bool ok = true;
            if (kind == "file") ok = gif.LoadAnimatedGIF_File(lastFile_);
            if (kind == "array") ok = gif.LoadAnimatedGIF_Array(std::span<const std::uint8_t>(bytes));
            if (kind == "picture") gif.SetAnimatedGIF(picture.Get());
            allowance = -1;
            if (ok && gif.FrameCount() > 0) break;
            ++refused;
            stray += gif.FrameCount() != 0 || gif.Player().LastLoadFailure().error != GifLoadError::OutOfMemory;
        }
        Log("starve " + kind + " refused " + std::to_string(refused) + " frames " + std::to_string(gif.FrameCount()) +
            " stray " + std::to_string(stray));
    }

    probe::Script script_;
    std::string lastFile_;
    bool cancelRemote_ = false;
    int lastFrame_ = -1;

public:
    ucAniGIF gif{*this};

private:
    forms::Timer stepper_{*this, 20, [this] { Step(); }};
    forms::Timer watch_{*this, 2, [this] { Watch(); }};
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: anigif_probe LOG STEP...\n");
        return 64;
    }
    probe::LogTo(argv[1]);
    std::vector<std::string> steps(argv + 2, argv + argc);
    static ProbeForm form(steps);
    form.Move(0, 0, static_cast<int>(400 * forms::TwipsPerPixelX()), static_cast<int>(200 * forms::TwipsPerPixelY()));
    // A "bag:" step stores the file as the control's design data before the form loads.
    for (const std::string& step : steps) {
        if (step.rfind("bag:", 0) != 0) continue;
        std::string stored = step.substr(4);
        std::stringstream parts(stored);
        std::string path, pair;
        std::getline(parts, path, ';');
        PropertyStore bag;
        bag.Write("GIF", ReadFileBytes(path), PropertyBytes{});
        while (std::getline(parts, pair, ';')) {
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos) continue;
            bag.Write(pair.substr(0, eq), static_cast<std::int32_t>(std::atoi(pair.c_str() + eq + 1)),
                      std::int32_t{-99999});
        }
        form.gif.SetDesignData(bag.Serialize());
    }
    form.Show(false);
    Log("shown " + Tick());
    return forms::RunMessageLoop();
}
