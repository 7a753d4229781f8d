// Frame building: every frame's colour indices decoded into the frame strip,
// and the resource limits a file must pass before anything is allocated.
//
// The frame strip is laid out as an 8-bit DIB: rows bottom-up, each padded
// to a multiple of 4 bytes. Its width is the sum of the frames' widths (only
// frame 1's when only frame 1 is built), its height the logical height.
// Frame f takes columns stripX ... stripX + frameWidth - 1 and image rows
// 0 ... frameHeight - 1 counted from the top, so image row y is stored row
// height - 1 - y. Each pixel holds the colour index the file gives it (the
// transparent index included); pixels the data never reaches hold 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gif_lzw.h"
#include "gif_scan.h"

// Resource limits, sized for a 32-bit process (2 GiB of address space, in
// pieces between the system's DLLs). They keep long real animations (300
// frames of 640 x 480 take a 92 MB strip) and refuse, before allocating,
// files whose sizes would overflow the arithmetic or take more memory than a
// 32-bit program can spare. A load takes about the GIF bytes twice (the bytes
// and one frame's image data), the strip, 8 bytes per pixel of the logical
// picture (canvas, mask, one frame's scratch and paint images) and 1 KiB per
// colour table (at most kGifMaxFrameCount + 1 of them): at most about
// 2 x 64 + 128 + 8 x 16 + 32 = 416 MiB, in blocks of at most 128 MiB. The
// file limit is the download limit (kMaxReadBytes), so a banner loads the
// same way from a file, an array or the network. Memory that runs out within
// the limits fails the load (OutOfMemory) like any other failure.
constexpr std::size_t kGifMaxFileBytes = std::size_t{64} << 20;        // the GIF file itself
constexpr std::int64_t kGifMaxStripBytes = std::int64_t{128} << 20;    // the frame strip
constexpr std::int64_t kGifMaxPicturePixels = std::int64_t{16} << 20;  // ActualWidth x ActualHeight

struct GifLimits {
    std::size_t maxFileBytes = kGifMaxFileBytes;
    std::int64_t maxStripBytes = kGifMaxStripBytes;
    std::int64_t maxPicturePixels = kGifMaxPicturePixels;
};

// Why a load failed.
enum class GifLoadError {
    None,
    NoBytes,          // the control holds no GIF bytes
    NotAGif,          // the scan returned 0
    EmptyPicture,     // ActualWidth or ActualHeight is 0: nothing to scale or show
    FileTooLarge,     // more bytes than maxFileBytes (a file or array is refused unread)
    StripTooLarge,    // the frame strip would exceed maxStripBytes
    PictureTooLarge,  // the logical picture would exceed maxPicturePixels
    OutOfMemory,      // an allocation within the limits failed all the same (the bytes' copy included)
};

struct GifLoadFailure {
    GifLoadError error = GifLoadError::None;
    std::int64_t needed = 0;  // for the limits: what the file would take
    std::int64_t limit = 0;
};

// One line, no full stop, e.g. "the frame strip would take 201326592 bytes
// (limit 134217728)".
std::string DescribeGifLoadFailure(const GifLoadFailure& failure);

// Bytes per row of an 8-bit strip of the given width.
constexpr std::int64_t GifStripStride(std::int64_t width) { return (width + 3) & ~std::int64_t{3}; }

// The strip's width: all frames side by side, or frame 1 alone.
std::int64_t GifStripWidth(const std::vector<GifFrame>& frames, bool frameOneOnly);

// Checks a scan against the limits (file size is checked by the caller, who
// has the bytes). error is None when the file may be loaded.
GifLoadFailure CheckGifLimits(const GifScan& scan, bool frameOneOnly, const GifLimits& limits);

struct GifStrip {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int64_t stride = 0;
    std::vector<std::uint8_t> bits;  // height x stride, bottom row first

    // Image row y counted from the top.
    std::uint8_t* Row(std::int32_t y) { return bits.data() + static_cast<std::int64_t>(height - 1 - y) * stride; }
    const std::uint8_t* Row(std::int32_t y) const {
        return bits.data() + static_cast<std::int64_t>(height - 1 - y) * stride;
    }
};

// A loaded animation: the frame table, the colour tables and the strip.
struct GifAnimation {
    std::vector<GifFrame> frames;
    std::vector<GifPalette> palettes;
    GifStrip strip;
    std::int32_t actualWidth = 0;
    std::int32_t actualHeight = 0;
};

// Decodes frames into the strip. Set up once per load with everything that
// will be built, it allocates nothing afterwards, so the later frames can be
// built from a timer callback.
class GifFrameBuilder {
public:
    // Sizes the buffers for frames first ... last (0-based). Throws
    // std::bad_alloc like any allocation.
    void Prepare(std::span<const std::uint8_t> gif, const std::vector<GifFrame>& frames,
                 const std::vector<GifSpan>& spans, std::size_t first, std::size_t last);
    void Release();

    // Decodes the frame whose image bytes are span into the strip at column
    // stripX. A frame that does not lie inside the strip is left alone.
    void Build(std::span<const std::uint8_t> gif, const GifSpan& span, const GifFrame& frame, std::int32_t stripX,
               GifStrip& strip);

private:
    std::unique_ptr<GifLzwDecoder> decoder_;
    std::vector<std::uint8_t> data_;    // one image's joined sub-blocks + padding
    std::vector<std::uint8_t> pixels_;  // one frame's indices in file row order + slack
};

// Allocates a zeroed strip for the animation's frames (frameOneOnly: frame 1
// alone). The caller has checked the limits.
void CreateGifStrip(GifAnimation& animation, bool frameOneOnly);
