#include "anigif_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <limits>
#include <new>

namespace {
constexpr std::int32_t kMinDelay = 10, kMaxDelay = 32700;

bool IsGifSignature(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 6) return false;
    std::string text(bytes.begin(), bytes.begin() + 6);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text == "gif89a" || text == "gif87a";
}

// The action that takes the animation back to the state it had before a
// pause: playing plays on and paused stays paused; stopped stops again, which
// also rewinds it to frame 1.
// After a load the control takes a size made from the picture's; Clip and
// Fill keep the size the form gave it until its next resize.
bool LoadResizesControl(GifStretch stretch) {
    return stretch == GifStretch::Fit || stretch == GifStretch::ShrinkToFit || stretch == GifStretch::AutoSize;
}

GifAction ActionReturningTo(GifPlayState state) {
    switch (state) {
    case GifPlayState::Playing: return GifAction::Play;
    case GifPlayState::Paused: return GifAction::Pause;
    case GifPlayState::Stopped: break;
    }
    return GifAction::Stop;
}

std::int32_t Truncate(double value) {
    if (!(value > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (!(value < std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}
}  // namespace

std::string_view PropertyHelp(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> kHelp[] = {
        {"AnimatedGIF", "Returns/sets a graphic to be displayed in a control"},
        {"Enabled", "Returns/sets a value that determines whether an object can respond to user-generated events"},
        {"FrameCount", "Returns the number of frames within the GIF"},
        {"ActualWidth", "Original width of the overall GIF image"},
        {"ActualHeight", "Original height of the overall GIF image"},
        {"Stretch",
         "Returns/sets a value that determines whether a graphic resizes to fit the size of an Image control"},
        {"MinFrameDelay", "The minimum number of milliseconds a frame will remain before it is replaced."},
        {"Loops", "The number of loops that will occur before animation stops. Zero will loop infintely"},
        {"LoopsRemaining", "Returns remaining number of loops before animation terminates"},
        {"Mirrored", "Mirrors images either horizontally or vertically"},
        {"Action", "Start, Stop and Pause animation"},
        {"DelayAnimation", "During runtime, animation is paused until the first frame is loaded and displayed"},
        {"MouseIcon", "Sets a custom mouse icon"},
        {"MousePointer", "Returns/sets the type of mouse pointer displayed when over part of an object"},
        {"LoadAnimatedGIF_File", "Optional method to assign a GIF"},
        {"Refresh", "Forces a complete repaint of a object"},
    };
    for (const auto& [property, help] : kHelp)
        if (property == name) return help;
    return {};
}

std::optional<std::size_t> ArrayByteCount(std::size_t elementSize, std::span<const std::size_t> dimensions) {
    if (dimensions.empty() || dimensions.size() > 2) return std::nullopt;
    std::size_t bytes = elementSize;
    for (const std::size_t count : dimensions) {
        if (count != 0 && bytes > SIZE_MAX / count) return SIZE_MAX;
        bytes *= count;
    }
    return bytes;
}

AniGifSurface::AniGifSurface(AniGifSurfaceHost& host) : host_(host), player_(host) {}

std::int32_t AniGifSurface::ActualWidth() const { return Truncate(host_.PixelsToContainerX(player_.ActualWidth())); }
std::int32_t AniGifSurface::ActualHeight() const { return Truncate(host_.PixelsToContainerY(player_.ActualHeight())); }

void AniGifSurface::Resized(std::int32_t width, std::int32_t height) {
    // The resize this handling makes raises the event once more: ignored.
    if (resizing_ || player_.CurrentFrame() == 0) return;
    player_.ComputeScale(width, height);
    resizing_ = true;
    host_.ResizeControl(width, height);
    resizing_ = false;
}

void AniGifSurface::ResizeForStretch() {
    std::int32_t width = 0, height = 0;
    host_.InnerSize(width, height);
    Resized(width, height);
}

void AniGifSurface::SetStretch(std::int32_t value) {
    const std::optional<GifStretch> stretch = GifStretchFromProperty(value);
    if (!stretch || *stretch == player_.Stretch()) return;
    const GifPlayState state = player_.PlayState();
    player_.ApplyAction(GifAction::Pause);
    player_.SetStretch(*stretch);
    ResizeForStretch();
    player_.ApplyAction(ActionReturningTo(state));
    if (state != GifPlayState::Playing) Repaint();
    host_.PropertyChanged("Stretch");
}

void AniGifSurface::SetMinFrameDelay(std::int32_t milliseconds) {
    const std::int32_t clamped = std::clamp(milliseconds, kMinDelay, kMaxDelay);
    if (clamped == player_.MinFrameDelay()) return;
    player_.SetMinFrameDelay(clamped);
    host_.PropertyChanged("Delay");
}

void AniGifSurface::SetLoops(std::int32_t value) {
    if (value == player_.Loops()) return;
    // The absolute value of the most negative number does not fit: it
    // stands for the largest count instead.
    const std::int32_t count =
        value == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max() : std::abs(value);
    player_.SetLoops(count);
    host_.PropertyChanged("Loops");
}

void AniGifSurface::SetMirrored(std::int32_t value) {
    if (value < 0 || value > 3) return;
    if (player_.CurrentFrame() == 0) {
        player_.SetMirrored(value);
        host_.PropertyChanged("Mirrored");
        return;
    }
    if (value == player_.Mirrored()) return;
    const GifPlayState state = player_.PlayState();
    player_.ApplyAction(GifAction::Pause);
    player_.SetMirrored(value);
    if (state == GifPlayState::Playing)
        player_.ApplyAction(GifAction::Play);
    else
        Repaint();
    host_.PropertyChanged("Mirrored");
}

void AniGifSurface::SetAction(std::int32_t value) {
    if (const std::optional<GifAction> action = GifActionFromProperty(value)) player_.ApplyAction(*action);
}

void AniGifSurface::SetDelayAnimation(std::int32_t value) {
    if (value < 0 || value > 3 || value == player_.DelayAnimation()) return;
    player_.SetDelayAnimation(value);
    host_.PropertyChanged("DelayAnimation");
}

// No exception leaves a load method: the control's caller may be a window
// procedure or a timer callback.
template <class Load>
bool AniGifSurface::Guarded(Load load) {
    try {
        return load();
    } catch (const std::bad_alloc&) {
        return Refuse({GifLoadError::OutOfMemory, 0, 0});
    }
}

bool AniGifSurface::Refuse(const GifLoadFailure& why) {
    player_.Refuse(why);
    return false;
}

bool AniGifSurface::LoadBytes(std::optional<std::vector<std::uint8_t>> bytes) {
    return Guarded([&] {
        if (bytes) player_.SetGifBytes(std::move(*bytes));
        if (player_.LoadGif() == 0) return false;
        if (LoadResizesControl(player_.Stretch())) ResizeForStretch();
        return true;
    });
}

bool AniGifSurface::LoadArray(const void* data, std::size_t elementSize, std::span<const std::size_t> dimensions) {
    const std::optional<std::size_t> size = data ? ArrayByteCount(elementSize, dimensions) : std::nullopt;
    if (!size) return LoadBytes(std::nullopt);
    const std::size_t limit = player_.Limits().maxFileBytes;
    if (*size > limit)
        return Refuse({GifLoadError::FileTooLarge, static_cast<std::int64_t>(std::min<std::uint64_t>(*size, INT64_MAX)),
                       static_cast<std::int64_t>(limit)});
    return Guarded([&] {
        const auto* p = static_cast<const std::uint8_t*>(data);
        return LoadBytes(std::vector<std::uint8_t>(p, p + *size));
    });
}

void AniGifSurface::LoadPictureBytes(std::optional<std::vector<std::uint8_t>> gif) {
    Guarded([&] {
        if (gif)
            player_.SetGifBytes(std::move(*gif));
        else
            player_.ReleaseGifBytes();
        if (player_.LoadGif() != 0 && !host_.UserMode()) {
            // In a designer the control takes the GIF's own size.
            const GifStretch stretch = player_.Stretch();
            player_.SetStretch(GifStretch::AutoSize);
            ResizeForStretch();
            player_.SetStretch(stretch);
        }
        return true;
    });
    Repaint();
    host_.PropertyChanged("AnimatedGIF");
}

void AniGifSurface::RemoteCompleted(std::vector<std::uint8_t> received) {
    if (received.size() < kGifRemoteMinimumBytes) {
        host_.RaiseRemoteLoadFailure();
        return;
    }
    // The test looks at a copy: the bytes the control holds (a designer's
    // GIF) are not lost to a download that turns out not to be one.
    if (!IsGifSignature(received)) {
        host_.RaiseRemoteLoadFailure();
        return;
    }
    const std::int32_t width = received[6] | received[7] << 8, height = received[8] | received[9] << 8;
    bool cancel = false;
    host_.RaiseRemoteLoadComplete(static_cast<float>(Truncate(host_.PixelsToContainerX(width))),
                                  static_cast<float>(Truncate(host_.PixelsToContainerY(height))), cancel);
    if (cancel) return;
    // A failing load after RemoteLoadComplete raises nothing more.
    LoadBytes(std::move(received));
}

void AniGifSurface::ReadProperties(const PropertyStore& store, AniGifSurfaceValues& surface) {
    Guarded([&] {
        // Assigned as they are, without the side effects of the property writes.
        player_.SetGifBytes(store.Read("GIF", player_.GifBytes()));
        player_.SetMinFrameDelay(store.Read("Delay", static_cast<std::int16_t>(player_.MinFrameDelay())));
        player_.SetStretch(GifStretchFromStored(store.Read("Stretch", ToProperty(kGifDefaultStretch))));
        const std::int32_t delayLoad = store.Read("DelayLoad", kGifDefaultDelayAnimation);
        player_.SetDelayAnimation(delayLoad == -1 ? 1 : delayLoad);
        player_.SetMirrored(store.Read("Mirror", kGifDefaultMirrored));
        surface.enabled = store.Read("Enabled", true);
        surface.mouseIcon = store.Read("MouseIcon", PictureData{});
        surface.mousePointer = store.Read("MousePointer", std::int16_t{0});
        if (player_.LoadGif() != 0) player_.SetLoops(store.Read("Loops", player_.Loops()));
        return true;
    });
}

void AniGifSurface::WriteProperties(PropertyStore& store, const AniGifSurfaceValues& surface) const {
    // "GIF" is always written: a default of another type never matches.
    store.WriteValue("GIF", PropertyValue(std::in_place_type<PropertyBytes>, player_.GifBytes()), PropertyValue(false));
    store.Write("Delay", static_cast<std::int16_t>(player_.MinFrameDelay()),
                static_cast<std::int16_t>(kGifDefaultMinFrameDelay));
    store.Write("Stretch", ToProperty(player_.Stretch()), ToProperty(kGifDefaultStretch));
    store.Write("Loops", player_.Loops(), kGifDefaultLoops);
    store.Write("DelayLoad", player_.DelayAnimation(), kGifDefaultDelayAnimation);
    store.Write("Mirror", player_.Mirrored(), kGifDefaultMirrored);
    store.Write("MouseIcon", surface.mouseIcon, PictureData{});
    store.Write("MousePointer", surface.mousePointer, std::int16_t{0});
    store.Write("Enabled", surface.enabled, true);
}
