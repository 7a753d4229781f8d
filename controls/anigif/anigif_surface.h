// The public face of the ucAniGIF control, apart from any window: the rules
// of its properties (ranges, clamping, what pauses and resumes), its load
// methods, the checks a download must pass, its life-cycle reactions and the
// settings it stores with the form. The work itself is the player's; the
// player holds the values, the surface alone decides what may be written.
//
// The Windows control derives from AniGifSurface, so the properties are
// declared here once. It implements AniGifSurfaceHost (timers, repaints,
// resizing the control, events, unit conversion) and carries the surface's
// own values (Enabled, MousePointer, MouseIcon), which are passed through
// here only to be stored and read back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "anigif_player.h"
#include "property_store.h"

class AniGifSurfaceHost : public AniGifHost {
public:
    // Resizes the control to width x height pixels. The surface ignores the
    // resize event that this raises.
    virtual void ResizeControl(std::int32_t width, std::int32_t height) = 0;
    virtual void PropertyChanged(std::string_view name) = 0;
    virtual void RaiseRemoteLoadComplete(float gifWidth, float gifHeight, bool& cancel) = 0;
    virtual void RaiseRemoteLoadFailure() = 0;
    // A length in the GIF's pixels (96-dpi pixels, 15 twips each) in the
    // container's size units (twips or pixels).
    virtual double PixelsToContainerX(std::int32_t pixels) const = 0;
    virtual double PixelsToContainerY(std::int32_t pixels) const = 0;
};

// The values the surface itself keeps, stored with the control's own.
struct AniGifSurfaceValues {
    bool enabled = true;
    PictureData mouseIcon;
    std::int16_t mousePointer = 0;
};

// LoadAnimatedGIF_Array's byte count: element size x every dimension's
// count, for an array of one or two dimensions; none for other shapes. A
// count beyond the address space reads as SIZE_MAX, which every limit refuses.
std::optional<std::size_t> ArrayByteCount(std::size_t elementSize, std::span<const std::size_t> dimensions);

// The description a property or method publishes for property browsers;
// empty for a name the control does not have.
std::string_view PropertyHelp(std::string_view name);

// A download shorter than this is no GIF at all.
constexpr std::size_t kGifRemoteMinimumBytes = 15;

// The control's public face: each property with its one rule (range,
// clamping, notification, what pauses and resumes), as the 32-bit integers
// the property boundary carries. ucAniGIF inherits it; what only the control
// feeds in (the bytes of its load methods, life-cycle events, the stored
// settings) is protected.
class AniGifSurface {
public:
    std::int32_t FrameCount() const { return player_.FrameCount(); }  // 0 when nothing is loaded
    void SetFrameCount(std::int32_t) {}                               // accepted and ignored
    // The logical size in the container's units, truncated.
    std::int32_t ActualWidth() const;
    std::int32_t ActualHeight() const;
    std::int32_t Stretch() const { return ToProperty(player_.Stretch()); }
    void SetStretch(std::int32_t value);
    std::int32_t MinFrameDelay() const { return player_.MinFrameDelay(); }
    void SetMinFrameDelay(std::int32_t milliseconds);
    std::int32_t Loops() const { return player_.Loops(); }
    void SetLoops(std::int32_t value);
    std::int32_t LoopsRemaining() const { return player_.LoopsRemaining(); }
    std::int32_t Mirrored() const { return player_.Mirrored(); }
    void SetMirrored(std::int32_t value);
    std::int32_t Action() const { return ToProperty(player_.PlayState()); }
    void SetAction(std::int32_t value);
    std::int32_t DelayAnimation() const { return player_.DelayAnimation(); }
    void SetDelayAnimation(std::int32_t value);

    // For tests and tools: the player behind the properties.
    const AniGifPlayer& Player() const { return player_; }

protected:
    // Creation: every property at its default (anigif_values.h).
    explicit AniGifSurface(AniGifSurfaceHost& host);
    AniGifSurface(const AniGifSurface&) = delete;
    AniGifSurface& operator=(const AniGifSurface&) = delete;
    ~AniGifSurface() = default;

    // The load methods. None of them throws: memory that runs out anywhere in
    // a load fails it (GifLoadError::OutOfMemory), and the control is empty.
    //
    // LoadAnimatedGIF_File: the new bytes (none keeps the bytes held, as for
    // a file that does not exist), then the load; on success the control is
    // resized for Stretch Fit, ShrinkToFit and AutoSize.
    bool LoadBytes(std::optional<std::vector<std::uint8_t>> bytes);
    // LoadAnimatedGIF_Array: a copy of the array's raw memory, then as
    // LoadBytes; no array, or one of another shape, keeps the bytes held. An
    // array beyond the file limit is refused without being copied.
    bool LoadArray(const void* data, std::size_t elementSize, std::span<const std::size_t> dimensions);
    // Bytes a load method could not take (a file beyond the limit, no memory
    // for its copy): the control ends empty, as after a failed load; false.
    bool Refuse(const GifLoadFailure& why);
    // Writing AnimatedGIF: a picture's GIF bytes, or none to release them.
    void LoadPictureBytes(std::optional<std::vector<std::uint8_t>> gif);
    // A download of LoadAnimatedGIF_Remote arrived with these bytes.
    void RemoteCompleted(std::vector<std::uint8_t> received);

    // Life cycle.
    void Shown() { player_.SetPlayTimer(GifTimerKind::Play); }
    void Hidden() { player_.ApplyAction(GifAction::Pause); }
    void End() { player_.ResetGif(); }
    // The control's resize event, with its inner size in pixels.
    void Resized(std::int32_t width, std::int32_t height);
    // The instance's timer fired.
    void TimerFired() { player_.OnTimer(); }
    bool PaintCurrentFrame(const GifPaintSink& sink) { return player_.PaintCurrentFrame(sink); }

    // The stored settings, in the order they are written:
    // "GIF" (always), "Delay", "Stretch", "Loops", "DelayLoad", "Mirror",
    // "MouseIcon", "MousePointer", "Enabled".
    void ReadProperties(const PropertyStore& store, AniGifSurfaceValues& surface);
    void WriteProperties(PropertyStore& store, const AniGifSurfaceValues& surface) const;

private:
    template <class Load>
    bool Guarded(Load load);
    void ResizeForStretch();
    void Repaint() { host_.Refresh(); }

    AniGifSurfaceHost& host_;
    AniGifPlayer player_;
    bool resizing_ = false;
};
