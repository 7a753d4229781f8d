#include "gif_compose.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rounding.h"

namespace {
constexpr std::uint8_t kDisposalRestoreBackground = 2;
constexpr std::uint8_t kDisposalRestorePrevious = 3;

bool Scaled(float sx, float sy) { return sx != 1.0f || sy != 1.0f; }

void PutColour(std::uint8_t* p, std::uint32_t entry) {
    p[0] = static_cast<std::uint8_t>(entry);
    p[1] = static_cast<std::uint8_t>(entry >> 8);
    p[2] = static_cast<std::uint8_t>(entry >> 16);
}

// Bits first ... last - 1 of a mask row: set (transparent) or cleared. Whole
// bytes at once where the range covers them: disposal 2 clears wide areas.
void FillBits(std::uint8_t* row, std::int64_t first, std::int64_t last, bool set) {
    for (std::int64_t x = first; x < last;) {
        std::uint8_t& byte = row[x >> 3];
        if ((x & 7) == 0 && last - x >= 8) {
            byte = set ? 0xFF : 0x00;
            x += 8;
            continue;
        }
        const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        byte = set ? byte | bit : byte & ~bit;
        ++x;
    }
}

// The mask bytes that hold pixels left ... left + width - 1. Disposal 3 saves
// and restores these whole, neighbouring pixels' bits included: nothing but
// the frame itself is drawn between the save and the restore, and the frame
// stays inside its rectangle, so those bits come back as they were.
struct ByteRange {
    std::int64_t first = 0, count = 0;
};
ByteRange MaskBytes(std::int32_t left, std::int32_t width) {
    if (width <= 0) return {};
    return {left / 8, (std::int64_t{left} + width - 1) / 8 - left / 8 + 1};
}

void ReverseBits(std::uint8_t* row, std::int32_t width) {
    for (std::int32_t a = 0, b = width - 1; a < b; ++a, --b) {
        const bool bitA = row[a >> 3] & (0x80 >> (a & 7));
        const bool bitB = row[b >> 3] & (0x80 >> (b & 7));
        FillBits(row, a, a + 1, bitB);
        FillBits(row, b, b + 1, bitA);
    }
}

void ReversePixels(std::uint8_t* row, std::int32_t width, int bytesPerPixel) {
    for (std::int32_t a = 0, b = width - 1; a < b; ++a, --b)
        std::swap_ranges(row + a * bytesPerPixel, row + (a + 1) * bytesPerPixel, row + b * bytesPerPixel);
}
}  // namespace

// A canvas is needed as soon as one frame builds on another. Without one,
// each frame is drawn alone on the control's freshly erased background, which
// is exactly what "every frame restores to the background" asks for. The
// canvas needs a mask whenever part of the picture can stay or become
// transparent: a frame that restores to the background or to what was there
// (it may uncover nothing), a transparent frame 1, or a transparent later
// frame where frame 1 leaves part of the picture uncovered.
GifComposeMode ChooseGifComposeMode(const std::vector<GifFrame>& frames, std::int32_t actualWidth,
                                    std::int32_t actualHeight, bool frameOneOnly) {
    if (frameOneOnly || frames.size() <= 1) return GifComposeMode::Direct;
    bool anyTransparency = false, allRestoreToBackground = true, needsMask = false;
    for (const GifFrame& frame : frames) {
        anyTransparency = anyTransparency || frame.hasTransparency;
        if (frame.disposal != kDisposalRestoreBackground) allRestoreToBackground = false;
        if (frame.disposal >= kDisposalRestoreBackground) needsMask = true;
    }
    if (allRestoreToBackground) return GifComposeMode::Direct;
    const GifFrame& first = frames.front();
    const bool firstCoversPicture = first.frameWidth == actualWidth && first.frameHeight == actualHeight;
    if (needsMask || first.hasTransparency || (anyTransparency && !firstCoversPicture))
        return GifComposeMode::CanvasWithMask;
    return GifComposeMode::Canvas;
}

// A size derived from a factor is rounded as painting rounds it, so the
// control is exactly as large as the picture drawn in it.
GifScale ComputeGifScale(GifStretch stretch, std::int32_t width, std::int32_t height, std::int32_t actualWidth,
                         std::int32_t actualHeight, float pixelScaleX, float pixelScaleY) {
    GifScale scale{1.0f, 1.0f, width, height};
    if (actualWidth <= 0 || actualHeight <= 0) return scale;
    const double ratioX = static_cast<double>(width) / actualWidth;
    const double ratioY = static_cast<double>(height) / actualHeight;
    const auto sized = [&](float sx, float sy) {
        scale.sx = sx;
        scale.sy = sy;
        scale.width = RoundHalfEven(static_cast<double>(sx) * actualWidth);
        scale.height = RoundHalfEven(static_cast<double>(sy) * actualHeight);
    };
    switch (stretch) {
    case GifStretch::Clip:
        sized(pixelScaleX, pixelScaleY);
        scale.width = std::min(width, scale.width);
        scale.height = std::min(height, scale.height);
        break;
    case GifStretch::Fit:
        sized(static_cast<float>(std::min(ratioX, ratioY)), static_cast<float>(std::min(ratioX, ratioY)));
        break;
    case GifStretch::Fill:
        scale.sx = static_cast<float>(ratioX);
        scale.sy = static_cast<float>(ratioY);
        break;
    case GifStretch::ShrinkToFit:
        if (ratioX > pixelScaleX && ratioY > pixelScaleY)
            sized(pixelScaleX, pixelScaleY);
        else
            sized(static_cast<float>(std::min(ratioX, ratioY)), static_cast<float>(std::min(ratioX, ratioY)));
        break;
    case GifStretch::AutoSize: sized(pixelScaleX, pixelScaleY); break;
    default: break;
    }
    return scale;
}

// The frame's position moves to its mirror image inside the logical picture
// even when it has no pixels, so that a later flip brings it back.
void MirrorGifFrame(GifAnimation& animation, std::size_t index, bool horizontal, bool vertical) {
    GifFrame& frame = animation.frames[index];
    GifStrip& strip = animation.strip;
    if (frame.frameWidth > 0 && frame.frameHeight > 0) {
        if (horizontal)
            for (std::int32_t y = 0; y < frame.frameHeight; ++y)
                ReversePixels(strip.Row(y) + frame.stripX, frame.frameWidth, 1);
        if (vertical)
            for (std::int32_t a = 0, b = frame.frameHeight - 1; a < b; ++a, --b)
                std::swap_ranges(strip.Row(a) + frame.stripX, strip.Row(a) + frame.stripX + frame.frameWidth,
                                 strip.Row(b) + frame.stripX);
    }
    if (horizontal) frame.frameLeft = animation.actualWidth - (frame.frameLeft + frame.frameWidth);
    if (vertical) frame.frameTop = animation.actualHeight - (frame.frameTop + frame.frameHeight);
}

// Painting runs in a window's paint and in timer callbacks, where running out
// of memory has nowhere to go: everything it needs is allocated here, at its
// largest (disposal 3 may save up to the whole canvas).
void GifComposer::Setup(GifComposeMode mode, const GifAnimation& animation) {
    Release();
    mode_ = mode;
    width_ = animation.actualWidth;
    height_ = animation.actualHeight;
    colourStride_ = GifColourStride(width_);
    maskStride_ = GifMaskStride(width_);
    if (mode == GifComposeMode::Direct) {
        std::int64_t colourBytes = 0, maskBytes = 0;
        for (const GifFrame& frame : animation.frames) {
            colourBytes = std::max(colourBytes, GifColourStride(frame.frameWidth) * frame.frameHeight);
            maskBytes = std::max(maskBytes, GifMaskStride(frame.frameWidth) * frame.frameHeight);
        }
        frameColour_.assign(static_cast<std::size_t>(colourBytes), 0);
        frameMask_.assign(static_cast<std::size_t>(maskBytes), 0);
        return;
    }
    canvas_.assign(static_cast<std::size_t>(colourStride_ * height_), 0);
    savedCanvas_.assign(canvas_.size(), 0);
    if (mode == GifComposeMode::CanvasWithMask) {
        mask_.assign(static_cast<std::size_t>(maskStride_ * height_), 0xFF);  // all transparent
        savedMask_.assign(mask_.size(), 0);
    }
}

void GifComposer::Release() {
    mode_ = GifComposeMode::Direct;
    width_ = height_ = 0;
    canvas_ = {};
    mask_ = {};
    savedCanvas_ = {};
    savedMask_ = {};
    frameColour_ = {};
    frameMask_ = {};
    marker_ = -1;
}

// The colours of the frame's palette as the colour pass uses them: the
// transparent entry turns black so that SRCPAINT leaves the destination.
// Reloaded only when the frame needs another table than the one loaded; a
// table with a blackened entry is no stored palette, so the marker forgets it.
// A palette number the scan never gave (only a hostile caller could) reads
// as all black rather than outside the table.
const std::uint32_t* GifComposer::ColourTable(const GifAnimation& animation, const GifFrame& frame) {
    const bool known =
        frame.paletteIndex >= 0 && static_cast<std::size_t>(frame.paletteIndex) < animation.palettes.size();
    if (frame.hasTransparency || !known) {
        if (known)
            colours_ = animation.palettes[static_cast<std::size_t>(frame.paletteIndex)];
        else
            colours_.fill(0);
        colours_[frame.transparentIndex] &= frame.hasTransparency ? 0u : ~0u;
        marker_ = -1;
    } else if (marker_ != frame.paletteIndex) {
        colours_ = animation.palettes[static_cast<std::size_t>(frame.paletteIndex)];
        marker_ = frame.paletteIndex;
    }
    return colours_.data();
}

// A paint can come at any time (a window uncovered), not only when the frame
// changes: painting the current frame again must give the same picture. It
// does: drawing a frame over itself changes nothing, and its disposal is
// undone right after it is shown.
void GifComposer::Paint(const GifAnimation& animation, std::size_t index, float sx, float sy,
                        const GifPaintSink& sink) {
    const GifFrame& frame = animation.frames[index];
    if (!HasCanvas()) {
        PaintDirect(animation, frame, sx, sy, sink);
        return;
    }
    BeforeDrawing(animation, index);
    DrawOnCanvas(animation, frame);
    GifPaint paint;
    paint.destWidth = RoundHalfEven(static_cast<double>(width_) * sx);
    paint.destHeight = RoundHalfEven(static_cast<double>(height_) * sy);
    paint.sourceWidth = width_;
    paint.sourceHeight = height_;
    paint.scaled = Scaled(sx, sy);
    paint.mask = mask_.empty() ? nullptr : mask_.data();
    paint.colour = canvas_.data();
    sink(paint);
    // Disposal acts on what the next frame is drawn over, not on what this
    // one shows.
    AfterDrawing(frame);
}

void GifComposer::BeforeDrawing(const GifAnimation& animation, std::size_t index) {
    const GifFrame& frame = animation.frames[index];
    // Every loop starts on an empty, transparent picture: what frame 1 leaves
    // uncovered shows the control's background, as on the first loop.
    if (index == 0) {
        std::fill(canvas_.begin(), canvas_.end(), 0);
        std::fill(mask_.begin(), mask_.end(), 0xFF);
    }
    if (frame.disposal == kDisposalRestorePrevious) {
        // The rectangle's pixels, and exactly the mask bytes that hold them.
        const std::int64_t rowBytes = std::int64_t{frame.frameWidth} * 3;
        const ByteRange maskBytes = MaskBytes(frame.frameLeft, frame.frameWidth);
        for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
            std::memcpy(savedCanvas_.data() + y * rowBytes, CanvasRow(frame.frameTop + y) + frame.frameLeft * 3,
                        static_cast<std::size_t>(rowBytes));
            if (!mask_.empty())
                std::memcpy(savedMask_.data() + y * maskBytes.count, MaskRow(frame.frameTop + y) + maskBytes.first,
                            static_cast<std::size_t>(maskBytes.count));
        }
    }
    if (mask_.empty()) return;
    // The frame's opaque pixels become opaque in the mask; its transparent
    // ones leave the mask as it is, showing what lies below.
    const GifStrip& strip = animation.strip;
    for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
        std::uint8_t* row = MaskRow(frame.frameTop + y);
        if (!frame.hasTransparency) {
            FillBits(row, frame.frameLeft, std::int64_t{frame.frameLeft} + frame.frameWidth, false);
            continue;
        }
        const std::uint8_t* indices = strip.Row(y) + frame.stripX;
        for (std::int32_t x = 0; x < frame.frameWidth; ++x)
            if (indices[x] != frame.transparentIndex) {
                const std::int32_t at = frame.frameLeft + x;
                row[at >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (at & 7)));
            }
    }
}

void GifComposer::DrawOnCanvas(const GifAnimation& animation, const GifFrame& frame) {
    const std::uint32_t* colours = ColourTable(animation, frame);
    const GifStrip& strip = animation.strip;
    for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
        const std::uint8_t* indices = strip.Row(y) + frame.stripX;
        std::uint8_t* out = CanvasRow(frame.frameTop + y) + frame.frameLeft * 3;
        if (frame.hasTransparency) {
            for (std::int32_t x = 0; x < frame.frameWidth; ++x)
                if (indices[x] != frame.transparentIndex) PutColour(out + 3 * x, colours[indices[x]]);
        } else {
            for (std::int32_t x = 0; x < frame.frameWidth; ++x) PutColour(out + 3 * x, colours[indices[x]]);
        }
    }
}

// Restoring to the background makes the rectangle transparent, not the
// file's background colour: the control's own background shows there.
void GifComposer::AfterDrawing(const GifFrame& frame) {
    if (frame.disposal == kDisposalRestoreBackground) {
        for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
            std::memset(CanvasRow(frame.frameTop + y) + frame.frameLeft * 3, 0,
                        static_cast<std::size_t>(frame.frameWidth) * 3);
            if (!mask_.empty())
                FillBits(MaskRow(frame.frameTop + y), frame.frameLeft, std::int64_t{frame.frameLeft} + frame.frameWidth,
                         true);
        }
    } else if (frame.disposal == kDisposalRestorePrevious) {
        const std::int64_t rowBytes = std::int64_t{frame.frameWidth} * 3;
        const ByteRange maskBytes = MaskBytes(frame.frameLeft, frame.frameWidth);
        for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
            std::memcpy(CanvasRow(frame.frameTop + y) + frame.frameLeft * 3, savedCanvas_.data() + y * rowBytes,
                        static_cast<std::size_t>(rowBytes));
            if (!mask_.empty())
                std::memcpy(MaskRow(frame.frameTop + y) + maskBytes.first, savedMask_.data() + y * maskBytes.count,
                            static_cast<std::size_t>(maskBytes.count));
        }
    }
}

// The frame alone, in DIB layout (rows bottom-up), with a mask only when it
// has transparent pixels; scaling is left to the blit.
void GifComposer::PaintDirect(const GifAnimation& animation, const GifFrame& frame, float sx, float sy,
                              const GifPaintSink& sink) {
    if (frame.frameWidth <= 0 || frame.frameHeight <= 0) return;
    const std::uint32_t* colours = ColourTable(animation, frame);
    const std::int64_t colourStride = GifColourStride(frame.frameWidth);
    const std::int64_t maskStride = GifMaskStride(frame.frameWidth);
    const GifStrip& strip = animation.strip;
    for (std::int32_t y = 0; y < frame.frameHeight; ++y) {
        const std::uint8_t* indices = strip.Row(y) + frame.stripX;
        const std::int64_t stored = frame.frameHeight - 1 - y;
        std::uint8_t* out = frameColour_.data() + stored * colourStride;
        for (std::int32_t x = 0; x < frame.frameWidth; ++x) PutColour(out + 3 * x, colours[indices[x]]);
        if (!frame.hasTransparency) continue;
        std::uint8_t* mask = frameMask_.data() + stored * maskStride;
        std::memset(mask, 0, static_cast<std::size_t>(maskStride));
        for (std::int32_t x = 0; x < frame.frameWidth; ++x)
            if (indices[x] == frame.transparentIndex) mask[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    GifPaint paint;
    paint.destX = RoundHalfEven(static_cast<double>(frame.frameLeft) * sx);
    paint.destY = RoundHalfEven(static_cast<double>(frame.frameTop) * sy);
    paint.destWidth = RoundHalfEven(static_cast<double>(frame.frameWidth) * sx);
    paint.destHeight = RoundHalfEven(static_cast<double>(frame.frameHeight) * sy);
    paint.sourceWidth = frame.frameWidth;
    paint.sourceHeight = frame.frameHeight;
    paint.scaled = Scaled(sx, sy);
    paint.mask = frame.hasTransparency ? frameMask_.data() : nullptr;
    paint.colour = frameColour_.data();
    sink(paint);
}

void GifComposer::FlipCanvas(bool horizontal, bool vertical) {
    if (!HasCanvas()) return;
    for (std::int32_t y = 0; y < height_ && horizontal; ++y) {
        ReversePixels(CanvasRow(y), width_, 3);
        if (!mask_.empty()) ReverseBits(MaskRow(y), width_);
    }
    for (std::int32_t a = 0, b = height_ - 1; a < b && vertical; ++a, --b) {
        std::swap_ranges(CanvasRow(a), CanvasRow(a) + colourStride_, CanvasRow(b));
        if (!mask_.empty()) std::swap_ranges(MaskRow(a), MaskRow(a) + maskStride_, MaskRow(b));
    }
}
