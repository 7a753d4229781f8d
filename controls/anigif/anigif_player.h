// The animation player of the GIF control: the load from start to finish
// (the deferred decoding of frames 2 ... n included), timed playback with
// per-frame delays, a minimum delay and a loop limit, the play actions,
// scaling and mirroring, and painting through GifComposer.
//
// It knows nothing of windows or property stores: the control's Windows
// layer implements AniGifHost (timers, repaint requests, the LoopsEnded
// event) and calls OnTimer() when the one timer it holds for the instance
// fires. The control surface applies its own rules (clamping, change
// notifications, pausing around Stretch and Mirrored changes) and calls the
// plain setters here.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "anigif_values.h"
#include "gif_compose.h"
#include "gif_frames.h"

class AniGifHost {
public:
    virtual ~AniGifHost() = default;
    // True when the container runs the control, false in a form designer.
    virtual bool UserMode() const = 0;
    // The control's inner size in pixels.
    virtual void InnerSize(std::int32_t& width, std::int32_t& height) const = 0;
    // Starts the instance's one timer, replacing a pending one; false when
    // there is no parent window or the platform refuses.
    virtual bool StartTimer(unsigned milliseconds) = 0;
    virtual void StopTimer() = 0;
    // Asks for a repaint; the paint calls PaintCurrentFrame.
    virtual void Refresh() = 0;
    virtual void RaiseLoopsEnded() = 0;
    // Device pixels to a GIF pixel (a 96-dpi pixel): 1 at 96 dpi, 1.5 at 144.
    virtual float GifPixelScaleX() const { return 1.0f; }
    virtual float GifPixelScaleY() const { return 1.0f; }
};

// What SetPlayTimer starts: nothing (it stops the timer), the frame advance,
// or the deferred decode of frames 2 ... n.
enum class GifTimerKind { Stop, Play, DeferredDecode };

// Frames 2 ... n are decoded this long after frame 1 could be shown.
constexpr unsigned kGifDeferredDecodeMs = 20;

class AniGifPlayer {
public:
    explicit AniGifPlayer(AniGifHost& host) : host_(host) {}
    AniGifPlayer(const AniGifPlayer&) = delete;
    AniGifPlayer& operator=(const AniGifPlayer&) = delete;

    // The GIF bytes the control holds: the input of LoadGif. A user-mode load
    // frees them once every frame is built; design mode keeps them so that
    // the form can store them.
    // Replacing them while the deferred decode is pending finishes that first.
    void SetGifBytes(std::vector<std::uint8_t> bytes);
    const std::vector<std::uint8_t>& GifBytes() const { return gif_; }
    void ReleaseGifBytes();

    // Loads the held bytes; the frame count, 0 on failure (the player is then
    // empty and the bytes are freed). In user mode with DelayAnimation 1-3,
    // frames 2 ... n are decoded by a timer 20 ms later (at once when no
    // timer can be started).
    std::int32_t LoadGif();
    const GifLoadFailure& LastLoadFailure() const { return failure_; }
    // Ends as a failed load does (nothing loaded, no bytes held), recording
    // why: for bytes the control refused to take, or memory that ran out
    // outside LoadGif's own allocations.
    void Refuse(const GifLoadFailure& why) { Fail(why); }
    // Releases the animation and stops the timer.
    void ResetGif();

    // True when a timer was started. Play and DeferredDecode do nothing
    // while playing. Stopping while the deferred decode is pending decodes
    // the remaining frames first, so that a pause or a step never leaves
    // frames undecoded.
    bool SetPlayTimer(GifTimerKind kind);
    // The instance's timer fired: advances a frame or runs the deferred decode.
    void OnTimer();
    // Writing Action; nothing unless a frame is loaded in user mode.
    void ApplyAction(GifAction action);

    // Composes the current frame and hands it to sink (see gif_compose.h);
    // false when nothing is loaded.
    bool PaintCurrentFrame(const GifPaintSink& sink);
    // Sets the scale factors for the current Stretch and the control's inner
    // size, and turns width and height into the size the control should take
    // (the caller resizes it, guarding against its own resize event).
    // Nothing when no frame is loaded.
    void ComputeScale(std::int32_t& width, std::int32_t& height);
    // Brings the frames (1 only with firstOnly) from the orientation
    // `previous` into Mirrored's; withCanvas mirrors the canvas too.
    void ApplyMirror(std::int32_t previous, bool firstOnly, bool withCanvas);

    // Plain setters: no range checks, no notifications. SetMirrored moves a
    // loaded animation into the new orientation (first finishing a pending
    // deferred decode).
    void SetStretch(GifStretch value) { stretch_ = value; }
    void SetMirrored(std::int32_t value);
    void SetMinFrameDelay(std::int32_t milliseconds) { minFrameDelay_ = milliseconds; }
    void SetLoops(std::int32_t value) { loops_ = value; }
    void SetDelayAnimation(std::int32_t value) { delayAnimation_ = value; }

    GifStretch Stretch() const { return stretch_; }
    std::int32_t Mirrored() const { return mirrored_; }
    std::int32_t MinFrameDelay() const { return minFrameDelay_; }
    std::int32_t Loops() const { return loops_; }  // the file's count right after a load
    std::int32_t DelayAnimation() const { return delayAnimation_; }

    GifPlayState PlayState() const { return playState_; }
    std::int32_t CurrentFrame() const { return current_; }  // 1-based, 0 when nothing is loaded
    std::int32_t FrameCount() const { return current_ ? static_cast<std::int32_t>(animation_.frames.size()) : 0; }
    std::int32_t BuiltFrameCount() const { return built_; }
    std::int32_t LoopsPlayed() const { return loopsPlayed_; }
    // -1 nothing loaded, 0 endless, else Loops - loops played.
    std::int32_t LoopsRemaining() const;
    float ScaleX() const { return sx_; }
    float ScaleY() const { return sy_; }
    std::int32_t ActualWidth() const { return animation_.actualWidth; }
    std::int32_t ActualHeight() const { return animation_.actualHeight; }
    GifComposeMode ComposeMode() const { return composer_.Mode(); }

    // The loaded animation, for the current-frame export: frame k is
    // Frames()[k - 1]; its stripX is a strip column once it is built (frames
    // 1 ... BuiltFrameCount()). Palettes()[paletteIndex] is its colour table.
    const std::vector<GifFrame>& Frames() const { return animation_.frames; }
    const std::vector<GifPalette>& Palettes() const { return animation_.palettes; }
    const GifStrip& Strip() const { return animation_.strip; }

    // Tighter limits (tests, fuzzing); the defaults are the documented ones.
    void SetLimits(const GifLimits& limits) { limits_ = limits; }
    const GifLimits& Limits() const { return limits_; }

private:
    enum class Pending { None, Frame, DeferredDecode };

    GifLoadFailure ScanAndPrepare();
    void FollowUpFrameOne();
    std::int32_t Fail(GifLoadFailure failure);
    void StopTimer(bool finishDecode);
    void FinishPendingDecode();
    void FinishLoad(bool startPlaying);
    void OnFrameTimer();
    void OnDeferredDecode();
    unsigned FrameDelay() const;

    AniGifHost& host_;
    std::vector<std::uint8_t> gif_;
    GifLimits limits_;
    GifLoadFailure failure_;

    GifAnimation animation_;
    std::vector<GifSpan> spans_;  // from the scan to the end of the load
    GifFrameBuilder builder_;
    GifComposer composer_;
    std::int32_t built_ = 0;
    bool userMode_ = false;  // as at the start of the load

    GifStretch stretch_ = kGifDefaultStretch;
    std::int32_t mirrored_ = kGifDefaultMirrored;
    std::int32_t minFrameDelay_ = kGifDefaultMinFrameDelay;
    std::int32_t loops_ = kGifDefaultLoops;
    std::int32_t delayAnimation_ = kGifDefaultDelayAnimation;

    std::int32_t current_ = 0;
    GifPlayState playState_ = GifPlayState::Stopped;
    std::int32_t loopsPlayed_ = 0;
    bool frameOneMirrored_ = false;
    float sx_ = 0, sy_ = 0;
    Pending pending_ = Pending::None;
};
