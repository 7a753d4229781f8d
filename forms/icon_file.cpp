#include "icon_file.h"

#include <cstdlib>

namespace {
constexpr std::size_t kHeaderBytes = 6, kEntryBytes = 16;
// Far more than any real file has; keeps a hostile count cheap to walk.
constexpr std::uint16_t kMaxImages = 256;

constexpr std::size_t kGroupEntryBytes = 14;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
// Exact first, then the smallest that is larger, then the largest.
bool CloserWidth(std::int32_t a, std::int32_t b, std::int32_t wanted) {
    const bool aFits = a >= wanted, bFits = b >= wanted;
    if (aFits != bFits) return aFits;
    return aFits ? a < b : a > b;
}
}  // namespace

std::optional<IconFileImage> PickIconImage(std::span<const std::uint8_t> file, std::int32_t wanted) {
    if (file.size() < kHeaderBytes) return std::nullopt;
    const std::uint16_t type = U16(file.data() + 2), count = U16(file.data() + 4);
    if (U16(file.data()) != 0 || (type != 1 && type != 2) || count == 0 || count > kMaxImages) return std::nullopt;
    if (file.size() < kHeaderBytes + kEntryBytes * count) return std::nullopt;

    std::optional<IconFileImage> best;
    auto better = [wanted](const IconFileImage& a, const IconFileImage& b) {
        return CloserWidth(a.width, b.width, wanted);
    };
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t* e = file.data() + kHeaderBytes + kEntryBytes * i;
        IconFileImage image;
        image.kind = static_cast<IconFileKind>(type);
        image.width = e[0] ? e[0] : 256;
        image.height = e[1] ? e[1] : 256;
        if (type == 2) {
            image.hotspotX = U16(e + 4);
            image.hotspotY = U16(e + 6);
        }
        image.size = U32(e + 8);
        image.offset = U32(e + 12);
        // The image must lie inside the file, past the directory, and hold
        // at least a bitmap header.
        if (image.offset < kHeaderBytes + kEntryBytes * count || image.size < 40 || image.offset > file.size() ||
            image.size > file.size() - image.offset)
            return std::nullopt;
        if (!best || better(image, *best)) best = image;
    }
    return best;
}

std::optional<std::int32_t> PickIconGroupSize(std::span<const std::uint8_t> directory, std::int32_t wanted) {
    if (directory.size() < kHeaderBytes) return std::nullopt;
    const std::uint16_t count = U16(directory.data() + 4);
    if (U16(directory.data()) != 0 || U16(directory.data() + 2) != 1 || count == 0 || count > kMaxImages ||
        directory.size() < kHeaderBytes + kGroupEntryBytes * count)
        return std::nullopt;
    std::optional<std::int32_t> best;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t width = directory[kHeaderBytes + kGroupEntryBytes * i];
        const std::int32_t size = width ? width : 256;
        if (!best || CloserWidth(size, *best, wanted)) best = size;
    }
    return best;
}
