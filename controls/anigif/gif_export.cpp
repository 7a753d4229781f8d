#include "gif_export.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <iterator>

namespace {
constexpr std::uint32_t kClearCode = 256;
constexpr std::uint32_t kEndCode = 257;
constexpr std::uint32_t kFirstFreeCode = 258;
constexpr std::uint32_t kCodeLimit = 4096;  // 12-bit codes
constexpr int kFirstWidth = 9;
constexpr std::int32_t kHashSlots = 5003;  // a prime above the 3838 codes one table can hold
constexpr int kMaxBlockData = 254;
constexpr std::int32_t kHeaderBytes = 13 + 768 + 8 + 10 + 1;  // with the transparency extension

// A slot is (pixel x 16) XOR prefix: below 4096, so always inside the table.
static_assert(((255 << 4) | (kCodeLimit - 1)) < kHashSlots);

// The file in the making. It starts at width x height + 801 bytes (capped, so
// that a huge flat frame does not take memory it will never fill) and grows
// when a sub-block would not fit. Two bytes stay reserved at the end at all
// times, so the block terminator and the trailer always have room after the
// last sub-block, however the data happened to fill the buffer.
class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t initial) : bytes_(initial + kTail) {}

    // Room for n bytes at the write position; valid until the next call.
    std::uint8_t* Reserve(std::size_t n) {
        if (pos_ + n + kTail > bytes_.size()) bytes_.resize(pos_ + std::max<std::size_t>(n, 512) + kTail);
        return bytes_.data() + pos_;
    }
    void Advance(std::size_t n) { pos_ += n; }
    void Put(const std::uint8_t* data, std::size_t n) {
        std::memcpy(Reserve(n), data, n);
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

// Packs codes low bits first into data sub-blocks written straight into the
// file: a length byte, then up to 254 data bytes. Each code stores the two
// lowest pending bytes whether or not they are complete (an incomplete one is
// stored again once it is) and moves on by the complete ones, so there is no
// loop per byte; the block keeps two bytes of room for that.
class CodePacker {
public:
    explicit CodePacker(OutputBuffer& out) : out_(out), data_(Open(out)) {}

    void Emit(std::uint32_t code, int width) {
        bitBuffer_ |= code << bitCount_;
        bitCount_ += width;
        data_[filled_] = static_cast<std::uint8_t>(bitBuffer_);
        data_[filled_ + 1] = static_cast<std::uint8_t>(bitBuffer_ >> 8);
        const int whole = bitCount_ >> 3;
        filled_ += whole;
        bitBuffer_ >>= whole * 8;
        bitCount_ &= 7;
        if (filled_ >= kMaxBlockData) [[unlikely]] {
            data_ = CloseFullBlock(out_, data_);
            filled_ -= kMaxBlockData;
        }
    }

    // The last bits, padded to a byte, and the last, shorter sub-block.
    void Flush() {
        if (bitCount_ > 0) data_[filled_++] = static_cast<std::uint8_t>(bitBuffer_);
        if (filled_ >= kMaxBlockData) {
            data_ = CloseFullBlock(out_, data_);
            filled_ -= kMaxBlockData;
        }
        if (filled_ > 0) {
            data_[-1] = static_cast<std::uint8_t>(filled_);
            out_.Advance(static_cast<std::size_t>(filled_) + 1);
        }
    }

private:
    static std::uint8_t* Open(OutputBuffer& out) { return out.Reserve(1 + kMaxBlockData + 2) + 1; }

    // Writes out the full block whose data start at `data` and opens the next
    // one, carrying over the bytes stored past the first 254. Takes no `this`,
    // so that the packer's state never leaves registers.
    static std::uint8_t* CloseFullBlock(OutputBuffer& out, std::uint8_t* data) {
        const std::uint8_t carry[2] = {data[kMaxBlockData], data[kMaxBlockData + 1]};
        data[-1] = kMaxBlockData;
        out.Advance(1 + kMaxBlockData);
        std::uint8_t* next = Open(out);
        next[0] = carry[0];
        next[1] = carry[1];
        return next;
    }

    OutputBuffer& out_;
    std::uint8_t* data_;  // the open block's first data byte
    int filled_ = 0;
    std::uint32_t bitBuffer_ = 0;  // fewer than 8 + 12 bits pending
    int bitCount_ = 0;
};

bool Holds(std::uint32_t slot, std::uint32_t key) { return (slot >> 12) == key && slot != 0; }

// The secondary probe after a collision at slot i: steps back by a fixed step
// while the slots are taken with other keys above 0, and leaves i at the slot
// it returns. A key-0 slot ends the chain like an empty one and is
// overwritten by the caller; that only forgets a string.
inline std::uint32_t Probe(const std::uint32_t* slots, std::uint32_t key, std::int32_t& i) {
    const std::int32_t step = i == 0 ? 1 : kHashSlots - i;
    std::uint32_t slot;
    do {
        i -= step;
        if (i < 0) i += kHashSlots;
        slot = slots[i];
    } while ((slot >> 12) != key && slot >= 4096);
    return slot;
}

// The classic hashed-string-table LZW compressor with GIF's variable code
// width (9 to 12 bits) and a clear code once all 4096 codes are taken. The
// string "prefix, then pixel c" has the key c x 4096 + prefix and starts its
// search at slot (c x 16) XOR prefix.
//
// A slot holds key x 4096 + code in one word (one load per probe), 0 when
// empty: stored codes are 258 and up, so a taken slot is never 0, even for
// key 0.
void Compress(const ExportSource& s, OutputBuffer& out) {
    std::vector<std::uint32_t> table(kHashSlots, 0u);
    std::uint32_t* const slots = table.data();
    const std::int64_t stride = StripRowBytes(s.stripWidth);
    auto row = [&](std::int32_t y) {
        return s.stripBits + (static_cast<std::int64_t>(s.stripRows) - 1 - y) * stride + s.stripX;
    };
    CodePacker packer(out);
    std::uint32_t next = kFirstFreeCode;
    int codeWidth = kFirstWidth;
    std::uint32_t largest = (1u << codeWidth) - 1;

    packer.Emit(kClearCode, codeWidth);
    std::uint32_t prefix = row(0)[0];
    // Locals, not fields of `s`: the byte stores into the file could alias those.
    const std::int32_t width = s.frameWidth, height = s.frameHeight;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* pixels = row(y);
        for (std::int32_t x = y == 0 ? 1 : 0; x < width; ++x) {
            const std::uint32_t c = pixels[x];
            const std::uint32_t key = (c << 12) + prefix;
            std::int32_t i = static_cast<std::int32_t>((c << 4) ^ prefix);
            std::uint32_t slot = slots[i];
            if (Holds(slot, key) || (slot != 0 && Holds(slot = Probe(slots, key, i), key))) {
                prefix = slot & 0xFFF;
                continue;
            }
            packer.Emit(prefix, codeWidth);
            prefix = c;
            slots[i] = key << 12 | (next & 0xFFF);
            if (next > largest) [[unlikely]] {
                if (next == kCodeLimit) {
                    // The clear goes out at the width the decoder is reading
                    // now; the table starts over with the first free code.
                    packer.Emit(kClearCode, codeWidth);
                    std::fill(slots, slots + kHashSlots, 0u);
                    next = kFirstFreeCode - 1;
                    codeWidth = kFirstWidth;
                } else {
                    ++codeWidth;
                }
                largest = (1u << codeWidth) - 1;
            }
            ++next;
        }
    }
    packer.Emit(prefix, codeWidth);
    packer.Emit(kEndCode, codeWidth);
    packer.Flush();
}

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

        Compress(s, out);
        return out.Finish();
    } catch (const std::exception&) {
        return {};
    }
}
