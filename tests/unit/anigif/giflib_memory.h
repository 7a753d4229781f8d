// giflib over bytes in memory, for the tests and benchmarks that use giflib as
// a referee (never the shipped code).
#pragma once
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// DGifOpen's reader: UserData is a std::pair<const std::vector<uint8_t>*, size_t>
// cursor that it moves along.
inline int GiflibReadMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* cursor = static_cast<std::pair<const std::vector<std::uint8_t>*, std::size_t>*>(gif->UserData);
    const std::size_t got = std::min<std::size_t>(static_cast<std::size_t>(n), cursor->first->size() - cursor->second);
    std::memcpy(out, cursor->first->data() + cursor->second, got);
    cursor->second += got;
    return static_cast<int>(got);
}

// EGifOpen's writer: UserData is the std::vector<uint8_t> it appends to.
inline int GiflibWriteMemory(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}
