#include "gif_lzw.h"

#include <cstring>

namespace {
// The one-byte root strings, with room for an eight-byte load from the last.
struct RootBytes {
    std::uint8_t bytes[256 + 8];
    constexpr RootBytes() : bytes() {
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    }
};
constexpr RootBytes kRoots;

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

// Copies n (>= 1) bytes from an earlier part of the output eight at a time.
// The source ends at or before the destination, so every byte below n is
// read before anything overwrites it; up to seven bytes past d + n are
// clobbered, which the slack and the next string cover.
inline void CopyString(std::uint8_t* d, const std::uint8_t* s, unsigned n) {
    std::uint8_t* const e = d + n;
    do {
        std::uint64_t v;
        std::memcpy(&v, s, 8);
        std::memcpy(d, &v, 8);
        d += 8;
        s += 8;
    } while (d < e);
}
}  // namespace

std::size_t GifLzwDecoder::Decode(int minimumCodeSize, const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                                  std::size_t pixelCount) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8 || pixelCount == 0) return 0;
    const unsigned clearCode = 1u << minimumCodeSize;
    const unsigned endCode = clearCode + 1;
    for (unsigned c = 0; c < clearCode; ++c) {
        start_[c] = kRoots.bytes + c;
        length_[c] = 1;
    }

    unsigned width = static_cast<unsigned>(minimumCodeSize) + 1;
    unsigned mask = (1u << width) - 1;
    unsigned next = clearCode + 2;

    std::uint64_t bits = 0;
    unsigned held = 0;
    const std::uint8_t* in = data;
    std::uint64_t remaining = static_cast<std::uint64_t>(size) * 8;

    std::uint8_t* o = out;
    std::uint8_t* const outEnd = out + pixelCount;
    const std::uint8_t* previous = nullptr;  // where the last string was written
    unsigned previousLength = 0;

    for (;;) {
        if (held < width) {
            bits |= Load64(in) << held;
            in += (63 - held) >> 3;
            held |= 56;
        }
        if (remaining < width) break;
        remaining -= width;
        const unsigned code = static_cast<unsigned>(bits) & mask;
        bits >>= width;
        held -= width;

        if (code == clearCode) {
            width = static_cast<unsigned>(minimumCodeSize) + 1;
            mask = (1u << width) - 1;
            next = clearCode + 2;
            previous = nullptr;
            continue;
        }
        if (code == endCode) break;

        const std::uint8_t* source;
        unsigned length;
        const bool known = code < next;
        if (known) {
            source = start_[code];
            length = length_[code];
        } else if (code == next && previous) {
            // The code being defined: the last string plus its own first byte.
            source = previous;
            length = previousLength + 1;
        } else {
            break;
        }

        const std::size_t room = static_cast<std::size_t>(outEnd - o);
        if (length > room) {
            std::memcpy(o, source, room);
            o = outEnd;
            break;
        }
        if (known) {
            CopyString(o, source, length);
        } else {
            CopyString(o, source, previousLength);
            o[previousLength] = source[0];
        }

        // The new code: the last string plus this string's first byte, which
        // now stand side by side in the output.
        if (previous && next < kGifLzwMaxCodes) {
            start_[next] = previous;
            length_[next] = static_cast<std::uint16_t>(previousLength + 1);
            ++next;
        }
        if (next == (1u << width) && width < 12) {
            ++width;
            mask = (1u << width) - 1;
        }
        previous = o;
        previousLength = length;
        o += length;
    }
    return static_cast<std::size_t>(o - out);
}

std::size_t GatherSubBlocks(const std::uint8_t* data, const std::uint8_t* end, std::uint8_t* out) {
    std::size_t written = 0;
    while (data < end) {
        const std::size_t length = *data++;
        if (length == 0) break;
        const std::size_t available = length < static_cast<std::size_t>(end - data) ? length : end - data;
        std::memcpy(out + written, data, available);
        written += available;
        data += available;
    }
    return written;
}
