// Composition of the frames on pixel buffers, scaling and mirroring.
//
// Two modes, chosen once per load:
//   - canvas mode: each paint composes the frame onto a canvas of the logical
//     size (24-bit colour, with a 1-bit mask when something can stay
//     transparent) following the disposal rules, and the whole canvas is
//     shown;
//   - direct mode (one frame, design mode, or every frame restores to the
//     background): each frame is shown alone on the control's freshly erased
//     background.
// Transparent pixels always show the control's background: frame 1 clears
// the canvas to transparent on every loop, and disposal 2 restores a frame's
// rectangle to transparent, not to the file's background colour.
//
// What a paint produces (GifPaint) maps 1:1 onto GDI:
//   - mask non-null: the mask image is drawn with SRCAND, then the colour
//     image with SRCPAINT, both from (0, 0, sourceWidth, sourceHeight) onto
//     (destX, destY, destWidth, destHeight);
//   - mask null: the colour image alone, with SRCCOPY;
//   - scaled: use StretchBlt with the HALFTONE stretch mode (and brush origin
//     0, 0); otherwise BitBlt (the sizes are then equal).
// Both images are in DIB layout, rows bottom-up, each row padded to a
// multiple of 4 bytes:
//   - colour: 24 bits per pixel, blue, green, red; black wherever the mask
//     marks transparent (BITMAPINFOHEADER biBitCount 24, biHeight positive);
//   - mask: 1 bit per pixel, leftmost pixel in the top bit of a byte,
//     1 = transparent (white), 0 = opaque (black), with the two-entry colour
//     table black, white (biBitCount 1, biClrUsed 2).
// Canvas mode shows the whole canvas at (0, 0) scaled to R(ActualWidth sx) x
// R(ActualHeight sy); direct mode shows the current frame alone at its own
// rectangle scaled with R(). The images stay valid only during the sink call.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "anigif_values.h"
#include "gif_frames.h"

enum class GifComposeMode {
    Direct,
    Canvas,          // opaque canvas: the colour image with SRCCOPY
    CanvasWithMask,  // canvas and mask
};

// The mode for an animation whose frames have been scanned. frameOneOnly:
// only frame 1 is built (design mode).
GifComposeMode ChooseGifComposeMode(const std::vector<GifFrame>& frames, std::int32_t actualWidth,
                                    std::int32_t actualHeight, bool frameOneOnly);

constexpr std::int64_t GifColourStride(std::int64_t width) { return (width * 3 + 3) & ~std::int64_t{3}; }
constexpr std::int64_t GifMaskStride(std::int64_t width) { return (width + 31) / 32 * 4; }

struct GifPaint {
    std::int32_t destX = 0, destY = 0, destWidth = 0, destHeight = 0;
    std::int32_t sourceWidth = 0, sourceHeight = 0;
    bool scaled = false;
    const std::uint8_t* mask = nullptr;  // null: no mask pass, colour with SRCCOPY
    const std::uint8_t* colour = nullptr;
};
using GifPaintSink = std::function<void(const GifPaint&)>;

struct GifScale {
    float sx = 1, sy = 1;
    std::int32_t width = 0, height = 0;  // the size the control takes
};
// Scale factors and control size for each Stretch, given the control's inner
// size and the logical size (both positive). A GIF's pixels are 96-dpi
// pixels: on a screen with px device pixels to each of them (1 at 96 dpi,
// 1.5 at 144; px, py) its own size is R(px AW) x R(py AH):
//   Clip         px, py; min(width, R(px AW)) x min(height, R(py AH))
//   Fit          both min(width/AW, height/AH); R(sx AW) x R(sy AH)
//   Fill         width/AW, height/AH; size unchanged
//   ShrinkToFit  as Fit, but px, py when both ratios exceed them (never
//                beyond its own size)
//   AutoSize     px, py; R(px AW) x R(py AH)
// An unnamed value (from stored settings): 1, 1 and the size unchanged.
GifScale ComputeGifScale(GifStretch stretch, std::int32_t width, std::int32_t height, std::int32_t actualWidth,
                         std::int32_t actualHeight, float pixelScaleX = 1, float pixelScaleY = 1);

// Mirrors a built frame's strip region in place and moves frameLeft /
// frameTop to the mirrored position within the logical size.
void MirrorGifFrame(GifAnimation& animation, std::size_t index, bool horizontal, bool vertical);

class GifComposer {
public:
    // Allocates what the mode needs for this animation (throws
    // std::bad_alloc); painting allocates nothing.
    void Setup(GifComposeMode mode, const GifAnimation& animation);
    void Release();

    GifComposeMode Mode() const { return mode_; }
    bool HasCanvas() const { return mode_ != GifComposeMode::Direct && !canvas_.empty(); }

    // Composes frame index (0-based, built) and hands the result to sink.
    void Paint(const GifAnimation& animation, std::size_t index, float sx, float sy, const GifPaintSink& sink);

    // Mirrors the canvas and the mask in place.
    void FlipCanvas(bool horizontal, bool vertical);

    // Palette whose colours are loaded for the colour pass, -1 when none is
    // or the loaded one had its transparent entry blacked out.
    std::int32_t PaletteMarker() const { return marker_; }

private:
    const std::uint32_t* ColourTable(const GifAnimation& animation, const GifFrame& frame);
    std::uint8_t* CanvasRow(std::int32_t y) { return canvas_.data() + (height_ - 1 - y) * colourStride_; }
    std::uint8_t* MaskRow(std::int32_t y) { return mask_.data() + (height_ - 1 - y) * maskStride_; }
    void BeforeDrawing(const GifAnimation& animation, std::size_t index);
    void DrawOnCanvas(const GifAnimation& animation, const GifFrame& frame);
    void AfterDrawing(const GifFrame& frame);
    void PaintDirect(const GifAnimation& animation, const GifFrame& frame, float sx, float sy,
                     const GifPaintSink& sink);

    GifComposeMode mode_ = GifComposeMode::Direct;
    std::int32_t width_ = 0, height_ = 0;
    std::int64_t colourStride_ = 0, maskStride_ = 0;
    std::vector<std::uint8_t> canvas_, mask_;
    std::vector<std::uint8_t> savedCanvas_, savedMask_;  // disposal 3
    std::vector<std::uint8_t> frameColour_, frameMask_;  // direct mode's paint images
    GifPalette colours_{};
    std::int32_t marker_ = -1;
};
