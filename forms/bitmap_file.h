// A 24-bit picture written out as a Windows bitmap file, the way the form
// engine saves pictures: headers, bottom-up rows padded to 4 bytes, then two
// zero bytes after the pixels.
#pragma once
#include <cstdint>
#include <string>

constexpr std::int32_t kPixelsPerMetre96Dpi = 2834;

// rows: height rows of stride bytes each, bottom row first, blue-green-red.
// Empty when the sizes do not describe rows (width or height not positive,
// rows too short).
std::string BuildBitmapFile24(std::int32_t width, std::int32_t height, const std::string& rows,
                              std::int32_t pixelsPerMetre = kPixelsPerMetre96Dpi);

// Row length of a 24-bit picture, padded to 4 bytes.
std::int64_t BitmapStride24(std::int32_t width);
