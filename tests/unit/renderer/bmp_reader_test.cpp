#include <gtest/gtest.h>

#include <cstring>

#include "bitmap_fixture.h"
#include "bmp_reader.h"

namespace {
// In-memory file that records every read request.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(void* destination, std::size_t n) override {
        requests.push_back(n);
        const std::size_t got = std::min(n, bytes_.size() - position_);
        if (got > 0) std::memcpy(destination, bytes_.data() + position_, got);
        position_ += got;
        return got;
    }
    std::uint64_t Size() const override { return bytes_.size(); }
    std::vector<std::size_t> requests;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

bool Read(std::vector<std::uint8_t> bytes, HandOffImage* out = nullptr) {
    MemorySource source(std::move(bytes));
    HandOffImage image;
    const bool ok = ReadHandOffBitmap(source, image);
    if (out) *out = std::move(image);
    return ok;
}
}  // namespace

TEST(BmpRowStride, RoundsRowsUpToFourBytes) {
    EXPECT_EQ(BmpRowStride(24, 101), 304);
    EXPECT_EQ(BmpRowStride(24, 64), 192);
    EXPECT_EQ(BmpRowStride(24, 1), 4);
    EXPECT_EQ(BmpRowStride(24, 0x7FFFFFFF), 6442450944) << "no 32-bit overflow";
}

TEST(ReadHandOffBitmap, LauncherRingPictureTakesExactlyThreeReads) {
    MemorySource source(MakeBitmap(64, 64));
    HandOffImage image;
    ASSERT_TRUE(ReadHandOffBitmap(source, image));
    EXPECT_EQ(source.requests, (std::vector<std::size_t>{14, 40, 12288}));
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
    EXPECT_EQ(image.pixels.size(), 12288u);
    EXPECT_EQ(image.pixels[0], static_cast<std::uint8_t>(54 * 7)) << "pixels start at bfOffBits";
}

TEST(ReadHandOffBitmap, UnpaddedWidthReadsHeightTimesStrideAndSkipsAColourTable) {
    MemorySource source(MakeBitmap(101, 3, 0, 24, 0, 54 + 1024));
    HandOffImage image;
    ASSERT_TRUE(ReadHandOffBitmap(source, image));
    EXPECT_EQ(source.requests, (std::vector<std::size_t>{14, 40 + 1024, 3 * 304}));

    // An explicit biSizeImage larger than the rows is read whole.
    auto bytes = MakeBitmap(4, 4, 64);
    bytes.resize(54 + 64);
    MemorySource larger(bytes);
    ASSERT_TRUE(ReadHandOffBitmap(larger, image));
    EXPECT_EQ(larger.requests.back(), 64u);
}

TEST(ReadHandOffBitmap, EveryTruncationIsRefused) {
    const auto whole = MakeBitmap(5, 3);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        auto cut = whole;
        cut.resize(length);
        EXPECT_FALSE(Read(cut)) << "length " << length;
    }
    EXPECT_TRUE(Read(whole));
}

TEST(ReadHandOffBitmap, MalformedHeadersAreRefused) {
    auto magic = MakeBitmap(8, 8);
    magic[1] = 'A';
    EXPECT_FALSE(Read(magic));
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 0, 24, 0, 53))) << "no room for the info header";
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 0, 24, 0, 14)));
    EXPECT_FALSE(Read(MakeBitmap(8, 0)));
    EXPECT_FALSE(Read(MakeBitmap(8, -8))) << "top-down rows are not a hand-off file";
    EXPECT_FALSE(Read(MakeBitmap(0, 8)));
    EXPECT_FALSE(Read(MakeBitmap(-8, 8)));
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 0, 32)));
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 0, 8)));
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 0, 24, 1))) << "compressed";
    EXPECT_FALSE(Read(MakeBitmap(8, 8, 8 * 24 - 1))) << "biSizeImage short of the rows";
}

TEST(ReadHandOffBitmap, HugeSizesAreRefusedBeforeAnythingIsAllocated) {
    // Claims far beyond the file: no request may exceed what the file holds.
    const std::vector<std::vector<std::uint8_t>> liars = {
        MakeBitmap(64, 64, 0xFFFFFFFFu),
        MakeBitmap(0x7FFFFFFF, 0x7FFFFFFF),
        MakeBitmap(4096, 4096),  // within the caps, but the file is short
        MakeBitmap(4097, 1),     // above the side cap
        MakeBitmap(8, 8, 0, 24, 0, 0xFFFFFFF0u),
    };
    for (const auto& bytes : liars) {
        auto cut = bytes;
        if (cut.size() > 54 + 16) cut.resize(54 + 16);
        MemorySource source(cut);
        HandOffImage image;
        EXPECT_FALSE(ReadHandOffBitmap(source, image));
        for (std::size_t request : source.requests) EXPECT_LE(request, cut.size());
        EXPECT_TRUE(image.pixels.empty());
    }
}
