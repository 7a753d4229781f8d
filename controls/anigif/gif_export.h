// Current-frame export: writes the frame on show, taken from the frame strip
// (one colour index per pixel), as a complete single-image GIF89a file in
// memory, compressed with the control's own LZW encoder. Portable: the
// Windows layer hands the bytes to the picture loader.
//
// File layout (little-endian words):
//   "GIF89a", width, height, 0x87 (global table of 256), background 0, aspect 0
//   768-byte global table: the frame's palette as red, green, blue
//   only with transparency: 21 F9 04 01 00 00 <transparent index> 00
//   image descriptor: 2C, left 0, top 0, width, height, packed 0
//   minimum code size 8, data sub-blocks of up to 254 bytes, terminator 0, trailer 3B
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes in one row of the 8-bit strip bitmap: rows are padded to 4 bytes.
constexpr std::int64_t StripRowBytes(std::int32_t stripWidth) {
    return ((static_cast<std::int64_t>(stripWidth) * 8 + 31) & ~std::int64_t{31}) / 8;
}

// Width and height are 16-bit words in a GIF.
constexpr std::int32_t kGifMaxSide = 65535;

// The current frame as the exporter sees it. The strip is the frame strip
// bitmap: 8 bits per pixel, bottom-up, stripRows rows of
// StripRowBytes(stripWidth) bytes each. The frame takes columns stripX ...
// stripX + frameWidth - 1 and the top frameHeight rows, so image row y is
// strip row stripRows - 1 - y.
struct ExportSource {
    const std::uint8_t* stripBits = nullptr;
    std::int32_t stripWidth = 0;
    std::int32_t stripRows = 0;  // ActualHeight
    std::int32_t stripX = 0;
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    // The frame's palette: 256 entries laid out as DIB colour-table entries
    // (blue in the low byte, then green, then red).
    const std::uint32_t* palette = nullptr;
    bool hasTransparency = false;
    std::uint8_t transparentIndex = 0;
};

// The GIF file of the frame, or an empty vector for no picture: a frame
// without pixels, a frame that does not lie inside the strip, a side above
// kGifMaxSide, a missing strip or palette, or no memory.
std::vector<std::uint8_t> BuildFrameGif(const ExportSource& source);
