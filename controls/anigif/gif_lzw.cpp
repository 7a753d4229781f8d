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

// The steps of Decode work on its locals, passed by reference: plain locals
// stay in registers, where the fields of a state object (tried) did not, and
// the decoder ran about 5% slower.

// Gives the bit buffer at least 56 bits with one eight-byte load, so that
// most codes need no load at all. The caller's input padding makes the load
// safe at the end of the data.
inline void Refill(const std::uint8_t*& in, std::uint64_t& bits, unsigned& held) {
    bits |= Load64(in) << held;
    in += (63 - held) >> 3;
    held |= 56;
}

// The table as at the start and after every clear code: the roots and the
// two special codes, read at the minimum code size + 1 bits, and no last
// string to add to.
inline void StartTable(int minimumCodeSize, unsigned clearCode, unsigned& width, unsigned& mask, unsigned& next,
                       const std::uint8_t*& previous) {
    width = static_cast<unsigned>(minimumCodeSize) + 1;
    mask = (1u << width) - 1;
    next = clearCode + 2;
    previous = nullptr;
}

// The code the string just written makes: the last string (previous, which
// ends at o) plus the new string's first byte, which stands right after it.
// Codes widen when the next free one no longer fits, up to 12 bits; a full
// table takes no more codes.
inline void AddCode(const std::uint8_t** start, std::uint16_t* lengths, unsigned& next, unsigned& width, unsigned& mask,
                    const std::uint8_t* previous, const std::uint8_t* o) {
    if (previous && next < kGifLzwMaxCodes) {
        start[next] = previous;
        lengths[next] = static_cast<std::uint16_t>(o - previous + 1);
        ++next;
    }
    if (next == (1u << width) && width < 12) {
        ++width;
        mask = (1u << width) - 1;
    }
}
}  // namespace

std::size_t GifLzwDecoder::Decode(int minimumCodeSize, const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                                  std::size_t pixelCount) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8 || pixelCount == 0) return 0;
    const unsigned clearCode = 1u << minimumCodeSize;
    for (unsigned c = 0; c < clearCode; ++c) {
        start_[c] = kRoots.bytes + c;
        length_[c] = 1;
    }
    unsigned width, mask, next;
    const std::uint8_t* previous;  // the last string, which ends at o
    StartTable(minimumCodeSize, clearCode, width, mask, next, previous);
    std::uint64_t bits = 0;
    unsigned held = 0;
    const std::uint8_t* in = data;
    std::uint64_t remaining = static_cast<std::uint64_t>(size) * 8;
    std::uint8_t* o = out;
    std::uint8_t* const outEnd = out + pixelCount;
    for (;;) {
        if (held < width) Refill(in, bits, held);
        if (remaining < width) break;
        remaining -= width;
        const unsigned code = static_cast<unsigned>(bits) & mask;
        bits >>= width;
        held -= width;
        if (code == clearCode) {
            StartTable(minimumCodeSize, clearCode, width, mask, next, previous);
            continue;
        }
        if (code == clearCode + 1) break;  // the end code
        const std::uint8_t* source;
        unsigned length;
        const bool known = code < next;
        if (known) {
            source = start_[code];
            length = length_[code];
        } else if (code == next && previous) {
            // The code being defined: the last string plus its own first byte.
            source = previous;
            length = static_cast<unsigned>(o - previous) + 1;
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
            CopyString(o, source, length - 1);
            o[length - 1] = source[0];
        }
        AddCode(start_, length_, next, width, mask, previous, o);
        previous = o;
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
