#include "current_frame_export.h"

std::optional<ExportSource> CurrentFrameSource(const AniGifPlayer& player) {
    const std::int32_t current = player.CurrentFrame();
    if (current == 0 || current > player.BuiltFrameCount()) return std::nullopt;
    const GifFrame& frame = player.Frames()[static_cast<std::size_t>(current - 1)];
    if (frame.paletteIndex < 0 || static_cast<std::size_t>(frame.paletteIndex) >= player.Palettes().size())
        return std::nullopt;
    ExportSource source;
    source.stripBits = player.Strip().bits.data();
    source.stripWidth = player.Strip().width;
    source.stripRows = player.Strip().height;
    source.stripX = frame.stripX;
    source.frameWidth = frame.frameWidth;
    source.frameHeight = frame.frameHeight;
    source.palette = player.Palettes()[static_cast<std::size_t>(frame.paletteIndex)].data();
    source.hasTransparency = frame.hasTransparency != 0;
    source.transparentIndex = frame.transparentIndex;
    return source;
}
