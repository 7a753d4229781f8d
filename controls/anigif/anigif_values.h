// The GIF control's enumerated values by name, its defaults, and the one
// place where the named values meet the 32-bit integers of the property
// boundary (the Action and Stretch properties, the stored "Stretch").
// Inside the control only the names are used.
#pragma once
#include <cstdint>
#include <optional>

// Writing Action.
enum class GifAction : std::int32_t {
    Stop = 0,     // back to frame 1, loops played 0
    Play = 1,     // from the current frame
    Pause = 2,    // nothing while stopped
    Step = 3,     // the next frame (after the last comes 1), then paused
    Restart = 4,  // Stop, then Play
};

// Reading Action.
enum class GifPlayState : std::int32_t {
    Stopped = 0,
    Playing = 1,  // also while the deferred decode is pending
    Paused = 2,
};

// How the picture meets the control's size (ComputeGifScale has the sums).
enum class GifStretch : std::int32_t {
    Clip = 0,         // own size; the control shrinks to it, never grows
    Fit = 1,          // scaled to fit, aspect kept
    Fill = 2,         // scaled to the control both ways
    ShrinkToFit = 3,  // as Fit, but never beyond its own size
    AutoSize = 4,     // own size; the control takes it
};

// Mirrored is a pair of flags: 0 none, 1 horizontal, 2 vertical, 3 both.
constexpr std::int32_t kGifMirrorHorizontal = 1;
constexpr std::int32_t kGifMirrorVertical = 2;

// DelayAnimation: any value but 0 defers frames 2 ... n until frame 1 could
// be shown; with this bit set the animation then waits for Action = Play (or
// for the control to be shown) instead of starting on its own.
constexpr std::int32_t kGifDelayWaitForPlay = 2;

// What a new control starts with; the stored settings leave out a value
// equal to its default.
constexpr std::int32_t kGifDefaultMinFrameDelay = 50;
constexpr GifStretch kGifDefaultStretch = GifStretch::Fit;
constexpr std::int32_t kGifDefaultLoops = 0;
constexpr std::int32_t kGifDefaultDelayAnimation = 1;
constexpr std::int32_t kGifDefaultMirrored = 0;

// The property boundary. A written Action outside 0-4 does nothing and a
// written Stretch outside 0-4 is ignored: none for those.
constexpr std::optional<GifAction> GifActionFromProperty(std::int32_t value) {
    if (value < 0 || value > static_cast<std::int32_t>(GifAction::Restart)) return std::nullopt;
    return static_cast<GifAction>(value);
}
constexpr std::optional<GifStretch> GifStretchFromProperty(std::int32_t value) {
    if (value < 0 || value > static_cast<std::int32_t>(GifStretch::AutoSize)) return std::nullopt;
    return static_cast<GifStretch>(value);
}
// A stored "Stretch" is taken as it is, unknown values included: such a
// value scales by 1, leaves the control's size alone and is stored again.
constexpr GifStretch GifStretchFromStored(std::int32_t value) { return static_cast<GifStretch>(value); }
constexpr std::int32_t ToProperty(GifStretch stretch) { return static_cast<std::int32_t>(stretch); }
constexpr std::int32_t ToProperty(GifPlayState state) { return static_cast<std::int32_t>(state); }
