// The scan of a GIF file: where every frame lies, its geometry, delay,
// transparency, disposal and colour table, the colour tables themselves, the
// logical size and the loop count. No pixel is decoded here (gif_frames.h
// builds the frames from what the scan records).
//
// The bytes are untrusted. The scan reads them with a cursor and stops at the
// first read that would go past the end, keeping the frames it had already
// stored; it never reads outside the bytes it is given.
//
// File positions are 1-based (position 1 is the file's first byte), so a
// position of 0 means "none".
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The frame count is a signed 16-bit quantity: a file with more images ends
// its scan after this many.
constexpr std::int32_t kGifMaxFrameCount = 32767;

struct GifFrame {
    std::int32_t frameLeft = 0;
    std::int32_t frameTop = 0;
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    std::int32_t delayMs = 0;           // Graphic Control Extension delay x 10; 0 without one
    std::int32_t paletteIndex = 0;      // 0 the global table, 1, 2, ... the local tables in file order
    std::int32_t stripX = 0;            // left column in the frame strip, once the frame is built
    std::uint8_t transparentIndex = 0;  // valid when hasTransparency is 1
    std::uint8_t hasTransparency = 0;
    std::uint8_t disposal = 0;  // 0-3
};

// Where one frame lies in the file. Its image bytes (the span) run from the
// descriptor's 0x2C through the terminator of its data sub-blocks. A file cut
// inside the data gives a span that reaches past the last byte; whoever
// reads it stops at the end of the bytes.
struct GifSpan {
    std::int32_t spanStart = 0;  // file position of the 0x2C
    std::int32_t spanLength = 0;
    // File position of the frame's first byte: its Graphic Control Extension,
    // or spanStart when it has none.
    std::int32_t frameStart = 0;
};

// A colour table laid out as a DIB colour table: blue in the low byte, then
// green, then red, 0 on top. Entries beyond the file's table are 0.
using GifPalette = std::array<std::uint32_t, 256>;

struct GifScan {
    std::vector<GifFrame> frames;      // frame k (1-based) is frames[k - 1]
    std::vector<GifSpan> spans;        // one per frame
    std::vector<GifPalette> palettes;  // palette p is palettes[p]; palette 0 is all 0 without a global table
    bool hasGlobalTable = false;
    std::int32_t actualWidth = 0;   // largest frameLeft + frameWidth
    std::int32_t actualHeight = 0;  // largest frameTop + frameHeight
    std::int32_t loops = 0;         // the NETSCAPE2.0 loop count, 0 without one
};

// Scans bytes into scan (which is reset first) and returns the frame count,
// 0 for a file that is not a usable GIF: wrong signature, no frame at all, or
// a frame without a colour table in a file without a global one (then the
// frame table is left empty).
std::int32_t ScanGif(std::span<const std::uint8_t> bytes, GifScan& scan);
