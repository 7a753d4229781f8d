#include "gif_export.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

namespace {
constexpr std::uint32_t kClearCode = 256;
constexpr std::uint32_t kEndCode = 257;
constexpr std::uint32_t kFirstFreeCode = 258;
constexpr std::uint32_t kCodeLimit = 4096;  // 12-bit codes
constexpr int kFirstWidth = 9;
constexpr std::int32_t kHashSlots = 5003;   // a prime above the 3838 codes one table can hold
constexpr int kMaxBlockData = 254;
constexpr std::int32_t kHeaderBytes = 13 + 768 + 8 + 10 + 1;  // with the transparency extension

// A slot is (pixel x 16) XOR prefix: below 4096, so always inside the table.
static_assert(((255 << 4) | (kCodeLimit - 1)) < kHashSlots);

// The file in the making. It starts at width x height + 801 bytes (capped, so
// that a huge flat frame does not take memory it will never fill) and grows as
// sub-blocks are written. Two bytes stay reserved at the end at all times, so
// the block terminator and the trailer always have room after the last
// sub-block, however the data happened to fill the buffer.
class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t initial) : bytes_(initial + kTail) {}

    void Put(const std::uint8_t* data, std::size_t n) {
        if (pos_ + n + kTail > bytes_.size()) bytes_.resize(pos_ + std::max<std::size_t>(n, 512) + kTail);
        std::memcpy(bytes_.data() + pos_, data, n);
        pos_ += n;
    }

    std::vector<std::uint8_t> Finish() {
        bytes_[pos_++] = 0x00;  // block terminator
        bytes_[pos_++] = 0x3B;  // trailer
        bytes_.resize(pos_);
        return std::move(bytes_);
    }

private:
    static constexpr std::size_t kTail = 2;
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// The classic hashed-string-table LZW compressor with GIF's variable code
// width (9 to 12 bits, least significant bit first) and a clear code once all
// 4096 codes are taken. A key is pixel x 4096 + prefix; -1 marks an empty slot.
class LzwEncoder {
public:
    explicit LzwEncoder(OutputBuffer& out) : out_(out), keys_(kHashSlots), codes_(kHashSlots) {}

    void Encode(const ExportSource& s) {
        const std::int64_t stride = StripRowBytes(s.stripWidth);
        auto row = [&](std::int32_t y) {
            return s.stripBits + (static_cast<std::int64_t>(s.stripRows) - 1 - y) * stride + s.stripX;
        };
        ClearTable();
        Emit(kClearCode);
        std::uint32_t prefix = row(0)[0];
        for (std::int32_t y = 0; y < s.frameHeight; ++y) {
            const std::uint8_t* pixels = row(y);
            for (std::int32_t x = y == 0 ? 1 : 0; x < s.frameWidth; ++x) {
                const std::uint32_t c = pixels[x];
                const std::int32_t key = static_cast<std::int32_t>((c << 12) + prefix);
                std::int32_t i = static_cast<std::int32_t>((c << 4) ^ prefix);
                if (keys_[i] == key) {
                    prefix = codes_[i];
                    continue;
                }
                if (keys_[i] >= 0 && Probe(key, i)) {
                    prefix = codes_[i];
                    continue;
                }
                Emit(prefix);
                prefix = c;
                codes_[i] = static_cast<std::uint16_t>(next_);
                keys_[i] = key;
                if (next_ > largest_) {
                    if (next_ == kCodeLimit) {
                        // The clear goes out at the width the decoder is reading
                        // now; the table starts over with the first free code.
                        Emit(kClearCode);
                        ClearTable();
                        next_ = kFirstFreeCode - 1;
                        width_ = kFirstWidth;
                    } else {
                        ++width_;
                    }
                    largest_ = (1u << width_) - 1;
                }
                ++next_;
            }
        }
        Emit(prefix);
        Emit(kEndCode);
        Flush();
    }

private:
    // Secondary probe from the taken slot i. True with i at the match; false
    // with i at the slot to fill. A key of 0 (pixel 0 after prefix 0) ends the
    // chain like an empty slot and is overwritten; that only forgets a string.
    bool Probe(std::int32_t key, std::int32_t& i) const {
        const std::int32_t step = i == 0 ? 1 : kHashSlots - i;
        do {
            i -= step;
            if (i < 0) i += kHashSlots;
            if (keys_[i] == key) return true;
        } while (keys_[i] > 0);
        return false;
    }

    void ClearTable() { std::fill(keys_.begin(), keys_.end(), -1); }

    void Emit(std::uint32_t code) {
        bitBuffer_ |= code << bitCount_;
        bitCount_ += width_;
        while (bitCount_ >= 8) {
            AppendByte(static_cast<std::uint8_t>(bitBuffer_));
            bitBuffer_ >>= 8;
            bitCount_ -= 8;
        }
    }

    void AppendByte(std::uint8_t byte) {
        block_[1 + blockBytes_++] = byte;
        if (blockBytes_ == kMaxBlockData) WriteBlock();
    }

    void WriteBlock() {
        block_[0] = static_cast<std::uint8_t>(blockBytes_);
        out_.Put(block_, static_cast<std::size_t>(blockBytes_) + 1);
        blockBytes_ = 0;
    }

    void Flush() {
        if (bitCount_ > 0) AppendByte(static_cast<std::uint8_t>(bitBuffer_));
        bitBuffer_ = 0;
        bitCount_ = 0;
        if (blockBytes_ > 0) WriteBlock();
    }

    OutputBuffer& out_;
    std::vector<std::int32_t> keys_;
    std::vector<std::uint16_t> codes_;
    std::uint32_t next_ = kFirstFreeCode;
    int width_ = kFirstWidth;
    std::uint32_t largest_ = (1u << kFirstWidth) - 1;
    std::uint32_t bitBuffer_ = 0;  // fewer than 8 + 12 bits pending
    int bitCount_ = 0;
    std::uint8_t block_[1 + kMaxBlockData] = {};
    int blockBytes_ = 0;
};

bool IsValid(const ExportSource& s) {
    if (s.stripBits == nullptr || s.palette == nullptr) return false;
    // A frame without pixels has no top-left pixel to start the string with.
    if (s.frameWidth <= 0 || s.frameHeight <= 0) return false;
    if (s.frameWidth > kGifMaxSide || s.frameHeight > kGifMaxSide) return false;
    if (s.stripX < 0 || s.stripWidth <= 0 || s.stripRows < s.frameHeight) return false;
    if (static_cast<std::int64_t>(s.stripX) + s.frameWidth > s.stripWidth) return false;
    // The strip, and the largest file its pixels can give (at most 12 bits
    // per pixel, plus clear codes and sub-block lengths), must be addressable.
    const std::int64_t stripBytes = StripRowBytes(s.stripWidth) * s.stripRows;
    const std::int64_t pixels = static_cast<std::int64_t>(s.frameWidth) * s.frameHeight;
    return stripBytes <= PTRDIFF_MAX && 2 * pixels + 1024 <= PTRDIFF_MAX;
}

void PutWord(std::uint8_t* p, std::int32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}
}  // namespace

std::vector<std::uint8_t> BuildFrameGif(const ExportSource& s) {
    if (!IsValid(s)) return {};
    try {
        const std::int64_t pixels = static_cast<std::int64_t>(s.frameWidth) * s.frameHeight;
        constexpr std::int64_t kInitialCap = 1 << 20;
        OutputBuffer out(static_cast<std::size_t>(std::min(pixels + 801, kInitialCap)));

        std::uint8_t header[kHeaderBytes] = {'G', 'I', 'F', '8', '9', 'a'};
        PutWord(header + 6, s.frameWidth);
        PutWord(header + 8, s.frameHeight);
        header[10] = 0x87;  // global table of 256 entries; background 0, aspect 0 follow
        std::uint8_t* at = header + 13;
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t entry = s.palette[i];
            *at++ = static_cast<std::uint8_t>(entry >> 16);
            *at++ = static_cast<std::uint8_t>(entry >> 8);
            *at++ = static_cast<std::uint8_t>(entry);
        }
        if (s.hasTransparency) {
            const std::uint8_t control[8] = {0x21, 0xF9, 0x04, 0x01, 0, 0, s.transparentIndex, 0};
            at = std::copy(std::begin(control), std::end(control), at);
        }
        *at = 0x2C;  // image descriptor at (0, 0), no local table, not interlaced
        PutWord(at + 5, s.frameWidth);
        PutWord(at + 7, s.frameHeight);
        at[10] = 8;  // minimum code size
        at += 11;
        out.Put(header, static_cast<std::size_t>(at - header));

        LzwEncoder(out).Encode(s);
        return out.Finish();
    } catch (const std::exception&) {
        return {};
    }
}
