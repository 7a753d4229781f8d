// Any bytes as the texture hand-off file: the reader must refuse or accept
// cleanly, never read past what it holds, and hand on enough pixel rows.
#include <cstdint>
#include <cstring>

#include "bmp_reader.h"

namespace {
class FuzzSource final : public ByteSource {
public:
    FuzzSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(void* destination, std::size_t n) override {
        const std::size_t got = n < size_ - position_ ? n : size_ - position_;
        if (got) std::memcpy(destination, data_ + position_, got);
        position_ += got;
        return got;
    }
    std::uint64_t Size() const override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
volatile unsigned touched;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSource source(data, size);
    HandOffImage image;
    if (ReadHandOffBitmap(source, image)) {
        const std::int64_t rows = static_cast<std::int64_t>(image.height) * BmpRowStride(24, image.width);
        if (image.width <= 0 || image.height <= 0 || static_cast<std::int64_t>(image.pixels.size()) < rows ||
            image.pixels.size() > size)
            __builtin_trap();
        // Touch every byte the upload would read.
        unsigned sum = 0;
        for (std::int64_t i = 0; i < rows; ++i) sum += image.pixels[static_cast<std::size_t>(i)];
        touched = sum;
    }
    return 0;
}
