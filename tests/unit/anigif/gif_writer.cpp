#include "gif_writer.h"

#include <map>

namespace {
struct BitWriter {
    Bytes bytes;
    std::uint64_t buffer = 0;
    int held = 0;
    void Put(unsigned code, int width) {
        buffer |= static_cast<std::uint64_t>(code) << held;
        for (held += width; held >= 8; held -= 8, buffer >>= 8) bytes.push_back(static_cast<std::uint8_t>(buffer));
    }
};

void PutWord(Bytes& out, int v) {
    out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}

int SizeField(std::size_t entries) {
    int field = 0;
    while ((std::size_t{2} << field) < entries) ++field;
    return field;
}

void PutTable(Bytes& out, const std::vector<std::uint32_t>& table) {
    for (std::size_t i = 0; i < std::size_t{2} << SizeField(table.size()); ++i) {
        const std::uint32_t rgb = i < table.size() ? table[i] : 0;
        out.insert(out.end(), {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                               static_cast<std::uint8_t>(rgb)});
    }
}
// The LZW code bytes of pixels (not yet cut into sub-blocks).
Bytes LzwEncode(const Bytes& pixels, const LzwOptions& options) {
    const unsigned clear = 1u << options.minimumCodeSize;
    int width = options.minimumCodeSize + 1;
    unsigned next = clear + 2;
    std::map<std::pair<unsigned, std::uint8_t>, unsigned> table;
    BitWriter out;
    if (options.startWithClear) out.Put(clear, width);
    const std::size_t count = std::min(options.encodePixels, pixels.size());
    if (count > 0) {
        unsigned prefix = pixels[0];
        for (std::size_t i = 1; i < count; ++i) {
            if (const auto found = table.find({prefix, pixels[i]}); found != table.end()) {
                prefix = found->second;
                continue;
            }
            out.Put(prefix, width);
            if (next < 4096) {
                table[{prefix, pixels[i]}] = next;
                if (next == (1u << width) && width < 12) ++width;
                ++next;
            }
            if (next == 4096 && options.clearWhenFull) {
                out.Put(clear, width);
                table.clear();
                width = options.minimumCodeSize + 1;
                next = clear + 2;
            }
            prefix = pixels[i];
        }
        out.Put(prefix, width);
        // The decoder learns the last entry only now; keep its width in step.
        if (next == (1u << width) && width < 12) ++width;
    }
    for (unsigned code : options.extraCodes) out.Put(code, width);
    if (options.endCode) out.Put(clear + 1, width);
    out.Put(0, 7);  // flush
    return out.bytes;
}
}  // namespace

Bytes WriteGif(const TestGif& gif) {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, gif.width);
    PutWord(out, gif.height);
    out.insert(out.end(),
               {static_cast<std::uint8_t>(gif.palette.empty() ? 0 : 0x80 | SizeField(gif.palette.size())), 0, 0});
    if (!gif.palette.empty()) PutTable(out, gif.palette);
    if (gif.loops >= 0) {
        out.insert(out.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1});
        PutWord(out, gif.loops);
        out.push_back(0);
    }
    for (const TestImage& image : gif.images) {
        if (image.control) {
            out.insert(out.end(), {0x21, 0xF9, 4,
                                   static_cast<std::uint8_t>(image.disposal << 2 | (image.transparent >= 0 ? 1 : 0))});
            PutWord(out, image.delay);
            out.insert(out.end(), {static_cast<std::uint8_t>(std::max(image.transparent, 0)), 0});
        }
        out.push_back(0x2C);
        for (int v : {image.left, image.top, image.width, image.height}) PutWord(out, v);
        out.push_back(static_cast<std::uint8_t>((image.palette.empty() ? 0 : 0x80 | SizeField(image.palette.size())) |
                                                (image.interlaced ? 0x40 : 0)));
        if (!image.palette.empty()) PutTable(out, image.palette);
        Bytes stored = image.pixels;
        if (image.interlaced) {
            stored.clear();
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int y = start; y < image.height; y += step)
                    stored.insert(stored.end(), image.pixels.begin() + y * image.width,
                                  image.pixels.begin() + (y + 1) * image.width);
        }
        out.push_back(static_cast<std::uint8_t>(image.lzw.minimumCodeSize));
        const Bytes data = LzwEncode(stored, image.lzw);
        for (std::size_t at = 0; at < data.size(); at += 255) {  // sub-blocks
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

std::vector<std::uint32_t> TestPalette(int n, std::uint32_t seed) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < n; ++i) table.push_back(((static_cast<std::uint32_t>(i) * 0x9E3779B1u) ^ seed) & 0xFFFFFF);
    return table;
}
