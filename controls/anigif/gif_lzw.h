// LZW decoding of GIF image data (variable-length codes, least significant
// bit first, 12 bits at most), written from the GIF89a format description.
//
// Every string in the code table is an earlier piece of the output (or one of
// the root bytes), so the table holds a pointer and a length per code and a
// code is emitted by copying those bytes, eight at a time. That is why the
// buffers need the slack given below.
//
// Streams that break the rules still get a defined result:
//   - a stream that does not start with a clear code decodes as if it did;
//   - a code above the next free code (or equal to it right after a clear)
//     ends the image;
//   - once the table holds 4096 codes nothing more is added and codes stay
//     12 bits wide until a clear code comes (the "deferred clear");
//   - the end of the data, or an end code, ends the image;
//   - output beyond the pixel count is dropped.
// Pixels the data never reaches are left as they were.
#pragma once
#include <cstddef>
#include <cstdint>

// Zero bytes the caller puts after the data, so that the bit reader may load
// whole words near the end.
constexpr std::size_t kGifLzwInputPadding = 16;
// Bytes the output buffer must have beyond the pixel count.
constexpr std::size_t kGifLzwOutputSlack = 16;
constexpr int kGifLzwMaxCodes = 4096;

class GifLzwDecoder {
public:
    // Decodes data (size bytes: the image's data sub-blocks joined, followed
    // by kGifLzwInputPadding readable bytes) into out, which has room for
    // pixelCount + kGifLzwOutputSlack bytes. Returns how many pixels, from
    // the start, the data gave (at most pixelCount); bytes after those may
    // have been overwritten. A minimum code size outside 1-8 gives nothing.
    std::size_t Decode(int minimumCodeSize, const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                       std::size_t pixelCount);

private:
    // Code c stands for the length_[c] bytes at start_[c].
    const std::uint8_t* start_[kGifLzwMaxCodes];
    std::uint16_t length_[kGifLzwMaxCodes];
};

// Joins the payloads of the data sub-blocks that start at data[0] (a length
// byte) into out, up to the terminator or the end of the bytes; a sub-block
// cut by the end gives the bytes that exist. out needs end - data bytes at
// most. Returns the number of bytes written.
std::size_t GatherSubBlocks(const std::uint8_t* data, const std::uint8_t* end, std::uint8_t* out);
