#include "gif_frames.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kDescriptorBytes = 10;  // 0x2C, left, top, width, height, packed
constexpr std::uint8_t kLocalTableFlag = 0x80;
constexpr std::uint8_t kInterlaceFlag = 0x40;

// The bytes of a span that exist: [begin, end) as 0-based offsets.
struct Extent {
    std::size_t begin = 0, end = 0;
};
Extent SpanExtent(std::size_t fileSize, const GifSpan& span) {
    const std::size_t begin = std::min(static_cast<std::size_t>(span.spanStart > 0 ? span.spanStart - 1 : 0), fileSize);
    const std::size_t end = std::min(begin + static_cast<std::size_t>(std::max(span.spanLength, 0)), fileSize);
    return {begin, end};
}

// Image rows in the order an interlaced image stores them: every 8th from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
template <class Visit>
void ForEachStoredRow(std::int32_t height, bool interlaced, Visit visit) {
    if (!interlaced) {
        for (std::int32_t y = 0; y < height; ++y)
            if (!visit(y)) return;
        return;
    }
    static constexpr std::int32_t kStart[4] = {0, 4, 2, 1};
    static constexpr std::int32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (std::int32_t y = kStart[pass]; y < height; y += kStep[pass])
            if (!visit(y)) return;
}
}  // namespace

std::string DescribeGifLoadFailure(const GifLoadFailure& failure) {
    const auto numbers = [&](const char* what, const char* unit) {
        return std::string(what) + std::to_string(failure.needed) + unit + " (limit " + std::to_string(failure.limit) +
               ")";
    };
    switch (failure.error) {
    case GifLoadError::None: return "loaded";
    case GifLoadError::NoBytes: return "no GIF bytes";
    case GifLoadError::NotAGif: return "not a usable GIF";
    case GifLoadError::EmptyPicture: return "the picture is empty: its logical width or height is 0";
    case GifLoadError::FileTooLarge: return numbers("the file has ", " bytes");
    case GifLoadError::StripTooLarge: return numbers("the frame strip would take ", " bytes");
    case GifLoadError::PictureTooLarge: return numbers("the picture would have ", " pixels");
    case GifLoadError::OutOfMemory: return "out of memory";
    }
    return "refused";
}

std::int64_t GifStripWidth(const std::vector<GifFrame>& frames, bool frameOneOnly) {
    if (frames.empty()) return 0;
    if (frameOneOnly) return frames[0].frameWidth;
    std::int64_t width = 0;
    for (const GifFrame& frame : frames) width += frame.frameWidth;
    return width;
}

GifLoadFailure CheckGifLimits(const GifScan& scan, bool frameOneOnly, const GifLimits& limits) {
    if (scan.actualWidth <= 0 || scan.actualHeight <= 0) return {GifLoadError::EmptyPicture, 0, 0};
    const std::int64_t pixels = std::int64_t{scan.actualWidth} * scan.actualHeight;
    if (pixels > limits.maxPicturePixels) return {GifLoadError::PictureTooLarge, pixels, limits.maxPicturePixels};
    const std::int64_t stripBytes = GifStripStride(GifStripWidth(scan.frames, frameOneOnly)) * scan.actualHeight;
    if (stripBytes > limits.maxStripBytes) return {GifLoadError::StripTooLarge, stripBytes, limits.maxStripBytes};
    return {};
}

void CreateGifStrip(GifAnimation& animation, bool frameOneOnly) {
    GifStrip& strip = animation.strip;
    strip.width = static_cast<std::int32_t>(GifStripWidth(animation.frames, frameOneOnly));
    strip.height = animation.actualHeight;
    strip.stride = GifStripStride(strip.width);
    strip.bits.assign(static_cast<std::size_t>(strip.stride * strip.height), 0);
}

void GifFrameBuilder::Prepare(std::span<const std::uint8_t> gif, const std::vector<GifFrame>& frames,
                              const std::vector<GifSpan>& spans, std::size_t first, std::size_t last) {
    std::size_t largestSpan = 0, largestFrame = 0;
    for (std::size_t i = first; i <= last && i < frames.size() && i < spans.size(); ++i) {
        const Extent extent = SpanExtent(gif.size(), spans[i]);
        largestSpan = std::max(largestSpan, extent.end - extent.begin);
        largestFrame = std::max(largestFrame, static_cast<std::size_t>(frames[i].frameWidth) *
                                                  static_cast<std::size_t>(frames[i].frameHeight));
    }
    if (!decoder_) decoder_ = std::make_unique<GifLzwDecoder>();
    data_.assign(largestSpan + kGifLzwInputPadding, 0);
    pixels_.assign(largestFrame + kGifLzwOutputSlack, 0);
}

void GifFrameBuilder::Release() {
    decoder_.reset();
    data_ = {};
    pixels_ = {};
}

void GifFrameBuilder::Build(std::span<const std::uint8_t> gif, const GifSpan& span, const GifFrame& frame,
                            std::int32_t stripX, GifStrip& strip) {
    const std::size_t pixelCount =
        static_cast<std::size_t>(frame.frameWidth) * static_cast<std::size_t>(frame.frameHeight);
    if (pixelCount == 0 || !decoder_) return;
    if (stripX < 0 || std::int64_t{stripX} + frame.frameWidth > strip.width || frame.frameHeight > strip.height) return;
    const Extent extent = SpanExtent(gif.size(), span);
    if (extent.end - extent.begin < kDescriptorBytes + 1) return;
    const std::uint8_t* const base = gif.data() + extent.begin;
    const std::uint8_t* const end = gif.data() + extent.end;
    const std::uint8_t packed = base[9];
    const std::uint8_t* p = base + kDescriptorBytes;
    if (packed & kLocalTableFlag) {
        const std::size_t tableBytes = std::size_t{3} << ((packed & 7) + 1);
        if (static_cast<std::size_t>(end - p) <= tableBytes) return;
        p += tableBytes;
    }
    const int minimumCodeSize = *p++;

    // The span is the largest Prepare saw only when it covers this frame.
    if (static_cast<std::size_t>(end - p) + kGifLzwInputPadding > data_.size() ||
        pixelCount + kGifLzwOutputSlack > pixels_.size())
        return;
    const std::size_t dataSize = GatherSubBlocks(p, end, data_.data());
    std::memset(data_.data() + dataSize, 0, kGifLzwInputPadding);
    const std::size_t decoded = decoder_->Decode(minimumCodeSize, data_.data(), dataSize, pixels_.data(), pixelCount);

    const std::size_t width = static_cast<std::size_t>(frame.frameWidth);
    std::size_t from = 0;
    ForEachStoredRow(frame.frameHeight, (packed & kInterlaceFlag) != 0, [&](std::int32_t y) {
        if (from >= decoded) return false;
        const std::size_t count = std::min(width, decoded - from);
        std::memcpy(strip.Row(y) + stripX, pixels_.data() + from, count);
        from += width;
        return true;
    });
}
