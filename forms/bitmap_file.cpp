#include "bitmap_file.h"

namespace {
void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
// Larger pictures are not this program's.
constexpr std::int32_t kMaxSide = 16384;
}  // namespace

std::int64_t BitmapStride24(std::int32_t width) { return (static_cast<std::int64_t>(width) * 24 + 31) / 32 * 4; }

std::string BuildBitmapFile24(std::int32_t width, std::int32_t height, const std::string& rows,
                              std::int32_t pixelsPerMetre) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    const std::int64_t pixels = BitmapStride24(width) * height;
    if (static_cast<std::int64_t>(rows.size()) < pixels) return {};
    constexpr std::uint32_t kHeaders = 54, kTrailer = 2;
    std::string out;
    out.reserve(kHeaders + static_cast<std::size_t>(pixels) + kTrailer);
    out += "BM";
    Put32(out, kHeaders + static_cast<std::uint32_t>(pixels) + kTrailer);  // bfSize: the whole file
    Put32(out, 0);                                                         // reserved
    Put32(out, kHeaders);                                                  // bfOffBits
    Put32(out, 40);                                                        // biSize
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(out, 1);                                   // planes
    Put16(out, 24);                                  // bits per pixel
    Put32(out, 0);                                   // uncompressed
    Put32(out, static_cast<std::uint32_t>(pixels));  // biSizeImage
    Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
    Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
    Put32(out, 0);  // colours used
    Put32(out, 0);  // colours important
    out.append(rows, 0, static_cast<std::size_t>(pixels));
    out.append(kTrailer, '\0');
    return out;
}
