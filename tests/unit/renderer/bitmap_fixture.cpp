#include "bitmap_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> MakeBitmap(std::int32_t width, std::int32_t height, std::uint32_t sizeImage,
                                     std::uint16_t bits, std::uint32_t compression, std::uint32_t offBits) {
    // Pixel bytes only for sizes a test can hold; liars get headers alone.
    const std::int64_t stride = (std::int64_t{bits} * width + 31) / 32 * 4;
    const std::int64_t side = height < 0 ? -std::int64_t{height} : height;
    const std::int64_t rows = (stride > 0 && stride < (1 << 20) && side < (1 << 20)) ? stride * side : 0;
    const std::size_t body = offBits < (1u << 20) && rows < (1 << 26) ? static_cast<std::size_t>(rows) : 0;
    std::vector<std::uint8_t> b(std::max<std::size_t>(54, std::min<std::size_t>(offBits, 1u << 20)) + body, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    Put32(b, 10, offBits);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<std::uint32_t>(width));
    Put32(b, 22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<std::uint8_t>(bits);
    b[29] = static_cast<std::uint8_t>(bits >> 8);
    Put32(b, 30, compression);
    Put32(b, 34, sizeImage);
    for (std::size_t i = std::min<std::size_t>(offBits, b.size()); i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7);
    return b;
}

std::string WriteTempFile(const std::vector<std::uint8_t>& bytes) {
    char path[] = "/tmp/velmora-bmp-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    close(fd);
    return path;
}
