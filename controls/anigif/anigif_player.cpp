#include "anigif_player.h"

#include <algorithm>
#include <new>

std::int32_t AniGifPlayer::LoadGif() {
    ResetGif();
    animation_.actualWidth = animation_.actualHeight = 0;
    loops_ = 0;
    sx_ = sy_ = 0;
    failure_ = {};
    const GifLoadFailure refused = ScanAndPrepare();
    if (refused.error != GifLoadError::None) return Fail(refused);
    // Everything a frame needs was allocated above: building it cannot fail.
    animation_.frames[0].stripX = 0;
    builder_.Build(gif_, spans_[0], animation_.frames[0], 0, animation_.strip);
    built_ = 1;
    FollowUpFrameOne();
    // A single frame never plays (no timer repaints it), so it is shown now.
    if (userMode_ && FrameCount() == 1) host_.Refresh();
    return FrameCount();
}

// The limits are checked on the scan, before anything as large as the strip
// is allocated; then the first pass sets up the canvas, the strip and the
// builder's buffers for every frame that will be built.
GifLoadFailure AniGifPlayer::ScanAndPrepare() {
    if (gif_.empty()) return {GifLoadError::NoBytes, 0, 0};
    if (gif_.size() > limits_.maxFileBytes)
        return {GifLoadError::FileTooLarge, static_cast<std::int64_t>(gif_.size()),
                static_cast<std::int64_t>(limits_.maxFileBytes)};
    userMode_ = host_.UserMode();
    try {
        GifScan scan;
        const std::int32_t count = ScanGif(gif_, scan);
        loops_ = scan.loops;  // kept even when the file is refused
        if (count == 0) return {GifLoadError::NotAGif, 0, 0};
        const GifLoadFailure refused = CheckGifLimits(scan, !userMode_, limits_);
        if (refused.error != GifLoadError::None) return refused;

        animation_.frames = std::move(scan.frames);
        animation_.palettes = std::move(scan.palettes);
        animation_.actualWidth = scan.actualWidth;
        animation_.actualHeight = scan.actualHeight;
        spans_ = std::move(scan.spans);
        // A designer only ever shows frame 1.
        const bool frameOneOnly = !userMode_;
        composer_.Setup(
            ChooseGifComposeMode(animation_.frames, animation_.actualWidth, animation_.actualHeight, frameOneOnly),
            animation_);
        CreateGifStrip(animation_, frameOneOnly);
        builder_.Prepare(gif_, animation_.frames, spans_, 0, frameOneOnly ? 0 : animation_.frames.size() - 1);
    } catch (const std::bad_alloc&) {
        return {GifLoadError::OutOfMemory, 0, 0};
    }
    return {};
}

// Frame 1 is in the strip: it becomes current and the scale is known. A
// designer is done. In user mode the other frames are decoded at once
// (DelayAnimation 0) or by a timer a moment later, so that a long animation
// shows its first frame without waiting for the rest.
void AniGifPlayer::FollowUpFrameOne() {
    current_ = 1;
    std::int32_t width = 0, height = 0;
    host_.InnerSize(width, height);
    ComputeScale(width, height);
    if (!userMode_) {
        FinishLoad(false);
    } else if (delayAnimation_ != 0) {
        // Frame 1 may be painted before the rest exists: it takes the
        // Mirrored orientation now, and the marker keeps the finishing step
        // from flipping it back.
        ApplyMirror(0, true, false);
        frameOneMirrored_ = true;
        // Without a timer (no parent window yet, say) the rest is decoded
        // now rather than never.
        if (!SetPlayTimer(GifTimerKind::DeferredDecode)) FinishLoad(true);
    } else {
        FinishLoad(true);
    }
}

std::int32_t AniGifPlayer::Fail(GifLoadFailure failure) {
    gif_ = {};
    ResetGif();
    failure_ = failure;
    return 0;
}

void AniGifPlayer::ResetGif() {
    StopTimer(false);
    animation_ = {};
    spans_ = {};
    builder_.Release();
    composer_.Release();
    built_ = 0;
    current_ = 0;
    playState_ = GifPlayState::Stopped;
    loopsPlayed_ = 0;
    frameOneMirrored_ = false;
}

// Second pass (user mode) and the finishing step. Frames sit side by side in
// the strip in file order.
void AniGifPlayer::FinishLoad(bool startPlaying) {
    if (userMode_) {
        std::int32_t x = animation_.frames[0].frameWidth;
        for (std::size_t i = 1; i < animation_.frames.size(); ++i) {
            GifFrame& frame = animation_.frames[i];
            frame.stripX = x;
            builder_.Build(gif_, spans_[i], frame, x, animation_.strip);
            x += frame.frameWidth;
            built_ = static_cast<std::int32_t>(i + 1);
        }
    }
    builder_.Release();
    spans_ = {};
    ApplyMirror(0, !userMode_, false);
    // A designer keeps the bytes: the form stores them with the control. At
    // run time every frame is in the strip now, and the current-frame export
    // reads the strip, so the bytes can go.
    if (!userMode_) return;
    gif_ = {};
    if (startPlaying && !(delayAnimation_ & kGifDelayWaitForPlay)) SetPlayTimer(GifTimerKind::Play);
}

void AniGifPlayer::SetGifBytes(std::vector<std::uint8_t> bytes) {
    FinishPendingDecode();
    gif_ = std::move(bytes);
}

void AniGifPlayer::ReleaseGifBytes() {
    FinishPendingDecode();
    gif_ = {};
}

// The deferred decode reads the bytes held, and mirroring must reach every
// frame: both wait for it to finish first.
void AniGifPlayer::FinishPendingDecode() {
    if (pending_ == Pending::DeferredDecode) OnDeferredDecode();
}

bool AniGifPlayer::SetPlayTimer(GifTimerKind kind) {
    if (kind == GifTimerKind::Stop) {
        StopTimer(true);
        return false;
    }
    // Playing (or a decode pending) already: a second timer would double the
    // pace. Any other start that does not get its timer leaves it stopped,
    // a pause included.
    if (playState_ == GifPlayState::Playing) return false;
    playState_ = GifPlayState::Stopped;
    if (current_ == 0 || !host_.UserMode()) return false;
    if (FrameCount() <= 1 && kind != GifTimerKind::DeferredDecode) return false;
    if (!host_.StartTimer(kind == GifTimerKind::DeferredDecode ? kGifDeferredDecodeMs : FrameDelay())) return false;
    pending_ = kind == GifTimerKind::DeferredDecode ? Pending::DeferredDecode : Pending::Frame;
    playState_ = GifPlayState::Playing;
    return true;
}

void AniGifPlayer::StopTimer(bool finishDecode) {
    const Pending was = pending_;
    pending_ = Pending::None;
    if (was != Pending::None) host_.StopTimer();
    playState_ = GifPlayState::Stopped;
    if (was == Pending::DeferredDecode && finishDecode) FinishLoad(false);
}

void AniGifPlayer::OnTimer() {
    switch (pending_) {
    case Pending::Frame: OnFrameTimer(); break;
    case Pending::DeferredDecode: OnDeferredDecode(); break;
    case Pending::None: break;  // a tick that was already on its way
    }
}

void AniGifPlayer::OnDeferredDecode() {
    StopTimer(false);
    FinishLoad(true);
}

// Each timer serves once and the next one is set for the new frame's own
// delay, so at most one timer per control is ever pending.
void AniGifPlayer::OnFrameTimer() {
    pending_ = Pending::None;
    host_.StopTimer();

    const std::int32_t count = FrameCount();
    bool wrapped = false;
    if (++current_ > count) {
        current_ = 1;
        wrapped = true;
    }
    bool goOn = true;
    if (count == 1) {
        loopsPlayed_ = 1;
        playState_ = GifPlayState::Stopped;
        goOn = false;
    } else if (wrapped && loops_ != 0) {
        // At or past the limit (Loops may have been lowered meanwhile).
        if (++loopsPlayed_ >= loops_) {
            playState_ = GifPlayState::Stopped;
            loopsPlayed_ = 0;
            goOn = false;
        }
    }
    // The last loop ends resting on frame 1, shown before the event.
    host_.Refresh();
    if (!goOn) {
        host_.RaiseLoopsEnded();
        return;
    }
    if (host_.StartTimer(FrameDelay()))
        pending_ = Pending::Frame;
    else
        playState_ = GifPlayState::Stopped;
}

// Many files give delays of 0 or 1 hundredth; MinFrameDelay keeps those from
// spinning the CPU.
unsigned AniGifPlayer::FrameDelay() const {
    const std::int32_t delay =
        std::max(animation_.frames[static_cast<std::size_t>(current_ - 1)].delayMs, minFrameDelay_);
    return delay > 0 ? static_cast<unsigned>(delay) : 0u;
}

void AniGifPlayer::ApplyAction(GifAction action) {
    if (current_ == 0 || !host_.UserMode()) return;
    switch (action) {
    case GifAction::Stop:
        SetPlayTimer(GifTimerKind::Stop);
        loopsPlayed_ = 0;
        current_ = 1;
        host_.Refresh();
        break;
    case GifAction::Play: SetPlayTimer(GifTimerKind::Play); break;
    case GifAction::Pause:
        // Nothing to pause when stopped: Action keeps reading 0.
        if (playState_ != GifPlayState::Stopped) {
            SetPlayTimer(GifTimerKind::Stop);
            playState_ = GifPlayState::Paused;
        }
        break;
    case GifAction::Step:
        SetPlayTimer(GifTimerKind::Stop);
        current_ = current_ % FrameCount() + 1;
        playState_ = GifPlayState::Paused;
        host_.Refresh();
        break;
    case GifAction::Restart:
        ApplyAction(GifAction::Stop);
        ApplyAction(GifAction::Play);
        break;
    }
}

bool AniGifPlayer::PaintCurrentFrame(const GifPaintSink& sink) {
    // A frame not decoded yet has nothing in the strip to show.
    if (current_ == 0 || current_ > built_) return false;
    composer_.Paint(animation_, static_cast<std::size_t>(current_ - 1), sx_, sy_, sink);
    return true;
}

void AniGifPlayer::ComputeScale(std::int32_t& width, std::int32_t& height) {
    if (current_ == 0) return;
    const GifScale scale = ComputeGifScale(stretch_, width, height, animation_.actualWidth, animation_.actualHeight,
                                           host_.GifPixelScaleX(), host_.GifPixelScaleY());
    sx_ = scale.sx;
    sy_ = scale.sy;
    width = scale.width;
    height = scale.height;
}

// Frames are mirrored in place, in the strip, so that painting never has to:
// flips are the bits in which the orientation the frames have (`previous`)
// differs from Mirrored. Frames not built yet are left to the finishing step,
// which mirrors them as they come.
void AniGifPlayer::ApplyMirror(std::int32_t previous, bool firstOnly, bool withCanvas) {
    if (current_ == 0) return;
    std::size_t first = 0;
    if (frameOneMirrored_) {
        frameOneMirrored_ = false;
        first = 1;
    }
    const std::int32_t flips = (mirrored_ ^ previous) & 3;
    if (flips == 0) return;
    const std::size_t end = std::min<std::size_t>(firstOnly ? 1 : animation_.frames.size(), built_);
    const bool horizontal = flips & kGifMirrorHorizontal, vertical = flips & kGifMirrorVertical;
    for (std::size_t i = first; i < end; ++i) MirrorGifFrame(animation_, i, horizontal, vertical);
    if (withCanvas) composer_.FlipCanvas(horizontal, vertical);
}

// The canvas holds the picture composed so far: at run time it flips with
// the frames, so that the next paint draws on a picture of the same
// orientation. A designer has no canvas and only frame 1.
void AniGifPlayer::SetMirrored(std::int32_t value) {
    if (current_ != 0) {
        FinishPendingDecode();
        ApplyMirror(value, !host_.UserMode(), host_.UserMode());
    }
    mirrored_ = value;
}

std::int32_t AniGifPlayer::LoopsRemaining() const {
    if (current_ == 0) return -1;
    if (loops_ == 0) return 0;
    return loops_ - loopsPlayed_;
}
