#include "bmp_reader.h"

namespace {
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }
}  // namespace

std::int64_t BmpRowStride(std::int32_t bitCount, std::int32_t width) {
    return (static_cast<std::int64_t>(bitCount) * width + 31) / 32 * 4;
}

bool ParseBmpFileHeader(const std::uint8_t (&header)[kBmpFileHeaderSize], BmpInfo& info) {
    if (U16(header) != kBmpMagic) return false;
    info.pixelOffset = U32(header + 10);
    return info.pixelOffset >= kBmpMinPixelOffset && info.pixelOffset <= kBmpMaxPixelOffset;
}

void ParseBmpInfoBlock(const std::uint8_t* block, BmpInfo& info) {
    // Offsets are relative to the end of the 14-byte file header.
    info.width = I32(block + 4);
    info.height = I32(block + 8);
    info.bitCount = U16(block + 14);
    info.compression = U32(block + 16);
    info.sizeImage = U32(block + 20);
}

std::int64_t BmpPixelDataSize(const BmpInfo& info) {
    if (info.bitCount != 24 || info.compression != 0) return -1;
    if (info.width <= 0 || info.height <= 0) return -1;
    if (info.width > kBmpMaxSide || info.height > kBmpMaxSide) return -1;
    const std::int64_t rows = static_cast<std::int64_t>(info.height) * BmpRowStride(24, info.width);
    if (info.sizeImage == 0) return rows;
    // The upload reads height x stride bytes, so less than that is refused.
    if (info.sizeImage < rows) return -1;
    return info.sizeImage;
}

bool ReadHandOffBitmap(ByteSource& source, HandOffImage& image) {
    std::uint8_t fileHeader[kBmpFileHeaderSize];
    if (source.Read(fileHeader, sizeof fileHeader) != sizeof fileHeader) return false;
    BmpInfo info;
    if (!ParseBmpFileHeader(fileHeader, info)) return false;

    const std::uint64_t fileSize = source.Size();
    const std::size_t blockSize = info.pixelOffset - kBmpFileHeaderSize;
    if (fileSize < info.pixelOffset) return false;
    std::vector<std::uint8_t> block(blockSize);
    if (source.Read(block.data(), blockSize) != blockSize) return false;
    ParseBmpInfoBlock(block.data(), info);
    image.width = info.width;
    image.height = info.height;

    const std::int64_t pixelBytes = BmpPixelDataSize(info);
    if (pixelBytes < 0) return false;
    if (static_cast<std::uint64_t>(pixelBytes) > fileSize - info.pixelOffset) return false;
    image.pixels.assign(static_cast<std::size_t>(pixelBytes), 0);
    const std::size_t want = image.pixels.size();
    if (source.Read(image.pixels.data(), want) != want) {
        image.pixels.clear();
        image.pixels.shrink_to_fit();
        return false;
    }
    return true;
}
