#include "gif_scan.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr char kLoopExtensionId[] = "NETSCAPE2.0";

char LowerAscii(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }
char UpperAscii(std::uint8_t c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); }

// Cursor over the bytes with the reads the scan needs. A read that would run
// past the end returns false; the scan then stops where it is.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes)
        : bytes_(bytes), last_(static_cast<std::int64_t>(bytes.size())) {}

    std::int64_t position = 1;

    bool ReadByte(std::uint8_t& value) {
        if (position > last_) return false;
        value = At(position++);
        return true;
    }
    bool ReadWord(std::uint16_t& value) {
        if (position + 1 > last_) return false;
        value = static_cast<std::uint16_t>(At(position) | At(position + 1) << 8);
        position += 2;
        return true;
    }
    // Fewer than n bytes left: out is n zero bytes and the cursor stays.
    void ReadBytes(std::size_t n, std::uint8_t* out) {
        if (position + static_cast<std::int64_t>(n) - 1 > last_) {
            std::memset(out, 0, n);
            return;
        }
        if (n) std::memcpy(out, bytes_.data() + (position - 1), n);
        position += static_cast<std::int64_t>(n);
    }
    // A table of 2^(sizeField+1) entries; at least one byte must follow it.
    bool ReadColourTable(unsigned sizeField, GifPalette& palette) {
        const std::int64_t count = std::int64_t{1} << (sizeField + 1);
        if (position + 3 * count > last_) return false;
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int64_t at = position + 3 * i;
            palette[static_cast<std::size_t>(i)] =
                static_cast<std::uint32_t>(At(at)) << 16 | static_cast<std::uint32_t>(At(at + 1)) << 8 | At(at + 2);
        }
        position += 3 * count;
        return true;
    }
    // Running off the end just ends the loop: the cursor then lies past the
    // last byte and the next read fails.
    void SkipSubBlocks() {
        while (position <= last_ && At(position) != 0) position += At(position) + 1;
        position += 1;
    }

private:
    std::uint8_t At(std::int64_t pos) const { return bytes_[static_cast<std::size_t>(pos - 1)]; }
    std::span<const std::uint8_t> bytes_;
    std::int64_t last_;
};

bool SignatureMatches(const std::uint8_t (&signature)[6]) {
    char text[6];
    for (int i = 0; i < 6; ++i) text[i] = LowerAscii(signature[i]);
    return std::memcmp(text, "gif89a", 6) == 0 || std::memcmp(text, "gif87a", 6) == 0;
}

bool IsLoopExtension(const std::uint8_t* id, std::size_t length) {
    if (length != sizeof kLoopExtensionId - 1) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (UpperAscii(id[i]) != kLoopExtensionId[i]) return false;
    return true;
}

// What a step of the scan found: go on; stop here, keeping the frames stored
// so far (the end of the bytes, the trailer, garbage); or a file unusable as
// a whole.
enum class ScanStep { Continue, Stop, Unusable };

// The frame being put together: its control extension comes before its
// image descriptor, and applies to the next image only.
struct PendingFrame {
    GifFrame frame;
    std::int64_t start = 0;  // the position of its control extension, 0 for none
};

// Signature, logical screen descriptor and global colour table. The screen's
// size is not used: the frames' rectangles give the logical size.
ScanStep ReadHeader(Cursor& in, GifScan& scan) {
    std::uint8_t signature[6];
    in.ReadBytes(6, signature);
    if (!SignatureMatches(signature)) return ScanStep::Unusable;
    in.position = 11;
    std::uint8_t screenPacked;
    if (!in.ReadByte(screenPacked)) return ScanStep::Stop;
    in.position = 14;
    scan.palettes.emplace_back();
    scan.palettes[0].fill(0);
    if (screenPacked & 0x80) {
        if (!in.ReadColourTable(screenPacked & 7u, scan.palettes[0])) return ScanStep::Stop;
        scan.hasGlobalTable = true;
    }
    return ScanStep::Continue;
}

// An application extension; only "NETSCAPE2.0" (in any case) means anything:
// its loop count, when its first sub-block has the usual 3 bytes.
ScanStep ReadApplicationExtension(Cursor& in, GifScan& scan) {
    std::uint8_t idLength;
    if (!in.ReadByte(idLength)) return ScanStep::Stop;
    std::uint8_t id[255];
    in.ReadBytes(idLength, id);
    if (!IsLoopExtension(id, idLength)) return ScanStep::Continue;
    std::uint8_t subBlockLength;
    if (!in.ReadByte(subBlockLength)) return ScanStep::Stop;
    if (subBlockLength != 3) {
        in.position -= 1;  // the sub-blocks are skipped from their length byte
        return ScanStep::Continue;
    }
    in.position += 1;  // the sub-block's identifier byte
    std::uint16_t loops;
    if (!in.ReadWord(loops)) return ScanStep::Stop;
    scan.loops = loops;
    return ScanStep::Continue;
}

// A Graphic Control Extension starting at `start`: delay, transparency and
// disposal of the next image. Of two in a row the later one counts.
ScanStep ReadGraphicControl(Cursor& in, std::int64_t start, bool firstFrame, PendingFrame& pending) {
    pending = {GifFrame{}, start};
    GifFrame& frame = pending.frame;
    std::uint8_t blockSize, packed;
    std::uint16_t delay;
    if (!in.ReadByte(blockSize) || !in.ReadByte(packed) || !in.ReadWord(delay)) return ScanStep::Stop;
    // Two bits only: codes 4-7 fold onto 0-3. Restoring to what was there
    // before the first frame means restoring to nothing.
    frame.disposal = static_cast<std::uint8_t>((packed >> 2) & 3);
    if (frame.disposal == 3 && firstFrame) frame.disposal = 0;
    frame.delayMs = delay * 10;
    frame.hasTransparency = packed & 1;
    if (frame.hasTransparency) {
        if (!in.ReadByte(frame.transparentIndex)) return ScanStep::Stop;
    } else {
        in.position = start + 7;
    }
    return ScanStep::Continue;
}

// Any extension, from its label on; the cursor ends past its sub-blocks.
ScanStep ReadExtension(Cursor& in, GifScan& scan, PendingFrame& pending) {
    const std::int64_t start = in.position - 1;
    std::uint8_t label;
    if (!in.ReadByte(label)) return ScanStep::Stop;
    ScanStep step = ScanStep::Continue;
    if (label == kApplicationLabel)
        step = ReadApplicationExtension(in, scan);
    else if (label == kGraphicControlLabel)
        step = ReadGraphicControl(in, start, scan.frames.empty(), pending);
    if (step == ScanStep::Continue) in.SkipSubBlocks();
    return step;
}

// Stores the pending frame whose image bytes are spanStart ... the cursor,
// unless the span is too short to hold anything.
void StoreFrame(Cursor& in, std::int64_t spanStart, const PendingFrame& pending, GifScan& scan) {
    const std::int64_t spanLength = in.position - spanStart;
    if (spanLength <= 2) return;
    const GifFrame& frame = pending.frame;
    scan.frames.push_back(frame);
    scan.spans.push_back({static_cast<std::int32_t>(spanStart), static_cast<std::int32_t>(spanLength),
                          static_cast<std::int32_t>(pending.start != 0 ? pending.start : spanStart)});
    scan.actualWidth = std::max(scan.actualWidth, frame.frameLeft + frame.frameWidth);
    scan.actualHeight = std::max(scan.actualHeight, frame.frameTop + frame.frameHeight);
}

// An image, from its descriptor's 0x2C on: its rectangle and colour table;
// its data is skipped, not decoded.
ScanStep ReadImage(Cursor& in, GifScan& scan, PendingFrame& pending) {
    const std::int64_t spanStart = in.position - 1;
    GifFrame& frame = pending.frame;
    std::uint16_t left, top, width, height;
    std::uint8_t packed;
    if (!in.ReadWord(left) || !in.ReadWord(top) || !in.ReadWord(width) || !in.ReadWord(height) || !in.ReadByte(packed))
        return ScanStep::Stop;
    frame.frameLeft = left;
    frame.frameTop = top;
    frame.frameWidth = width;
    frame.frameHeight = height;
    if (packed & 0x80) {
        GifPalette local{};
        if (!in.ReadColourTable(packed & 7u, local)) return ScanStep::Stop;
        frame.paletteIndex = static_cast<std::int32_t>(scan.palettes.size());
        scan.palettes.push_back(local);
    } else if (!scan.hasGlobalTable) {
        return ScanStep::Unusable;  // a frame without any colour table
    }
    std::uint8_t minimumCodeSize;
    if (!in.ReadByte(minimumCodeSize)) return ScanStep::Stop;
    in.SkipSubBlocks();
    if (static_cast<std::int32_t>(scan.frames.size()) == kGifMaxFrameCount) return ScanStep::Stop;
    StoreFrame(in, spanStart, pending, scan);
    pending = {};
    return ScanStep::Continue;
}

// The scan proper; false when the file turns out unusable as a whole.
bool Scan(Cursor& in, GifScan& scan) {
    ScanStep step = ReadHeader(in, scan);
    PendingFrame pending;
    while (step == ScanStep::Continue) {
        std::uint8_t introducer;
        if (!in.ReadByte(introducer)) return true;
        if (introducer == 0x00) continue;
        if (introducer == kExtensionIntroducer)
            step = ReadExtension(in, scan, pending);
        else if (introducer == kImageSeparator)
            step = ReadImage(in, scan, pending);
        else
            step = ScanStep::Stop;  // the trailer, or garbage
    }
    return step != ScanStep::Unusable;
}
}  // namespace

std::int32_t ScanGif(std::span<const std::uint8_t> bytes, GifScan& scan) {
    scan = GifScan{};
    // Positions are 32-bit; the caller refuses larger inputs before this.
    if (bytes.size() > 0x7FFF0000u) return 0;
    Cursor in(bytes);
    if (!Scan(in, scan)) {
        scan.frames.clear();
        scan.spans.clear();
        return 0;
    }
    return static_cast<std::int32_t>(scan.frames.size());
}
