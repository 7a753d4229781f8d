// Reader of the texture hand-off bitmap: uncompressed, bottom-up, 24 bits per
// pixel. The file lies in a folder any local user can write to, so every field
// is distrusted: sizes are checked against the file and against fixed caps
// before anything is allocated, and nothing beyond the bytes read is used.
#pragma once
#include <cstdint>
#include <vector>

#include "byte_source.h"

constexpr std::uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr std::uint32_t kBmpFileHeaderSize = 14;
constexpr std::uint32_t kBmpMinPixelOffset = 54;  // file header + 40-byte info header
// What lies between the info header and the pixels (a colour table at most)
// is small; anything larger is not a hand-off file.
constexpr std::uint32_t kBmpMaxPixelOffset = 64 * 1024;
// The hand-off picture is 64 x 64; GLU rescales to the GL limit anyway.
constexpr std::int32_t kBmpMaxSide = 4096;

// Row length in bytes, padded to a multiple of 4: (bits x width + 31) / 32 x 4.
std::int64_t BmpRowStride(std::int32_t bitCount, std::int32_t width);

struct BmpInfo {
    std::uint32_t pixelOffset = 0;  // bfOffBits
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
};

// bfType and bfOffBits from the 14-byte file header; false for a wrong magic
// or an offset outside [54, 64 KiB].
bool ParseBmpFileHeader(const std::uint8_t (&header)[kBmpFileHeaderSize], BmpInfo& info);

// Info-header fields from the block that follows the file header (at least 40
// bytes, guaranteed by the offset check).
void ParseBmpInfoBlock(const std::uint8_t* block, BmpInfo& info);

// Number of pixel bytes to read for a header that passed all checks, or -1 when
// the header describes something this reader refuses (not 24-bit, compressed,
// non-positive sides, sides above the cap, biSizeImage smaller than the rows).
std::int64_t BmpPixelDataSize(const BmpInfo& info);

struct HandOffImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;  // at least height x stride bytes
};

// Reads the whole bitmap with three reads: file header, header block, pixels.
// On false, image.width/height hold whatever the header said if it got that far.
bool ReadHandOffBitmap(ByteSource& source, HandOffImage& image);
