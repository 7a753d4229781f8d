// The scan's rules, one table row each, plus the colour-table layout and
// the 16-bit frame count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gif_scan.h"
#include "gif_writer.h"

namespace {
Bytes Of(std::initializer_list<int> values) { return Bytes(values.begin(), values.end()); }
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Signature, a 200 x 100 screen and a 4-entry global table (or none).
Bytes Header(const char* signature = "GIF89a", bool globalTable = true) {
    return Bytes(signature, signature + std::strlen(signature)) + Of({200, 0, 100, 0, globalTable ? 0x81 : 0, 0, 0}) +
           (globalTable ? Of({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) : Bytes{});
}
// A small image: descriptor, a 2-entry local table if asked, one data byte.
Bytes Image(int left, int top, int width, int height, bool localTable = false) {
    return Of({0x2C, left, 0, top, 0, width, 0, height, 0, localTable ? 0x80 : 0}) +
           (localTable ? Of({9, 9, 9, 8, 8, 8}) : Bytes{}) + Of({2, 1, 0x44, 0});
}
Bytes Control(int packed, int delay, int index = 0) { return Of({0x21, 0xF9, 4, packed, delay, 0, index, 0}); }
Bytes Loop(const char* id, Bytes subBlocks) { return Of({0x21, 0xFF, 11}) + Bytes(id, id + 11) + subBlocks; }
const Bytes kEnd{0x3B};

std::string Describe(const Bytes& file) {
    GifScan scan;
    const std::int32_t count = ScanGif(file, scan);
    std::string out = std::to_string(count);
    if (count == 0) return out;
    out += " " + std::to_string(scan.actualWidth) + "x" + std::to_string(scan.actualHeight) + " loops " +
           std::to_string(scan.loops);
    for (const GifFrame& f : scan.frames)
        out += " | " + std::to_string(f.frameLeft) + "," + std::to_string(f.frameTop) + " " +
               std::to_string(f.frameWidth) + "x" + std::to_string(f.frameHeight) + " d" + std::to_string(f.disposal) +
               " " + std::to_string(f.delayMs) + "ms t" +
               (f.hasTransparency ? std::to_string(f.transparentIndex) : "-") + " p" + std::to_string(f.paletteIndex);
    return out;
}
}  // namespace

TEST(ScanGif, FollowsEveryRule) {
    const Bytes frame = Image(0, 0, 120, 50);
    const std::string one = "1 120x50 loops 0 | 0,0 120x50 d0 0ms t- p0";
    struct Row {
        const char* rule;
        Bytes file;
        std::string expected;
    } rows[] = {
        {"the size comes from the frames, not the screen", Header() + frame + kEnd, one},
        {"signature case is ignored", Header("gif89A") + frame + kEnd, one},
        {"GIF87a passes", Header("GIF87a") + frame + kEnd, one},
        {"GIF88a does not", Header("GIF88a") + frame + kEnd, "0"},
        {"fewer than 6 bytes", Bytes{'G', 'I', 'F', '8'}, "0"},
        {"loop count, identifier in any case", Header() + Loop("netscape2.0", {3, 1, 5, 0, 0}) + frame + kEnd,
         "1 120x50 loops 5 | 0,0 120x50 d0 0ms t- p0"},
        {"a first sub-block not 3 long gives no loop count",
         Header() + Loop("NETSCAPE2.0", {4, 1, 5, 0, 0, 0}) + frame + kEnd, one},
        {"disposal: first frame's 3 is 0, later 3 stays, 4-7 fold onto 0-3; delay x 10",
         Header() + Control(3 << 2, 7) + frame + Control(3 << 2, 1) + frame + Control(4 << 2, 0) + frame +
             Control(6 << 2, 0) + frame + Control(7 << 2, 0) + frame + kEnd,
         "5 120x50 loops 0 | 0,0 120x50 d0 70ms t- p0 | 0,0 120x50 d3 10ms t- p0 | 0,0 120x50 d0 0ms t- p0 | "
         "0,0 120x50 d2 0ms t- p0 | 0,0 120x50 d3 0ms t- p0"},
        {"transparency; an index without the flag is not taken",
         Header() + Control(1, 0, 9) + frame + Control(0, 0, 77) + frame + kEnd,
         "2 120x50 loops 0 | 0,0 120x50 d0 0ms t9 p0 | 0,0 120x50 d0 0ms t- p0"},
        {"of two control extensions the later counts; one applies to the next image only",
         Header() + Control(1, 5, 9) + Control(2 << 2, 6) + frame + frame + kEnd,
         "2 120x50 loops 0 | 0,0 120x50 d2 60ms t- p0 | 0,0 120x50 d0 0ms t- p0"},
        {"local tables are numbered in file order",
         Header() + Image(1, 2, 3, 4, true) + Image(0, 0, 5, 5) + Image(7, 1, 3, 3, true) + kEnd,
         "3 10x6 loops 0 | 1,2 3x4 d0 0ms t- p1 | 0,0 5x5 d0 0ms t- p0 | 7,1 3x3 d0 0ms t- p2"},
        {"a frame without any colour table spoils the file",
         Header("GIF89a", false) + Image(0, 0, 4, 4, true) + Image(0, 0, 4, 4) + kEnd, "0"},
        {"0x00 is skipped, comments are skipped, an unknown byte ends the scan",
         Header() + Bytes{0, 0} + Bytes{0x21, 0xFE, 3, 'h', 'i', '!', 0} + frame + Bytes{0x99} + frame + kEnd, one},
        {"a cut inside the third frame's descriptor keeps two", Header() + frame + frame + Bytes{0x2C, 0, 0, 0},
         "2 120x50 loops 0 | 0,0 120x50 d0 0ms t- p0 | 0,0 120x50 d0 0ms t- p0"},
        {"a cut inside the data keeps the frame", Header() + Bytes(frame.begin(), frame.end() - 2), one},
        {"a short application identifier at the end reads nothing", Header() + frame + Bytes{0x21, 0xFF, 11, 'N', 'E'},
         one},
        {"a table must be followed by a byte", Header(), "0"},
    };
    for (const Row& row : rows) EXPECT_EQ(Describe(row.file), row.expected) << row.rule;
}

TEST(ScanGif, ColourTablesAreDibEntriesAndPositionsOneBased) {
    GifScan scan;
    ASSERT_EQ(ScanGif(Header() + Control(1, 0, 3) + Image(0, 0, 2, 2) + Image(0, 0, 2, 2, true) + kEnd, scan), 2);
    ASSERT_EQ(scan.palettes.size(), 2u);
    EXPECT_EQ(scan.palettes[0][0], 0x010203u) << "red, green, blue with blue in the low byte";
    EXPECT_EQ(scan.palettes[0][3], 0x0A0B0Cu);
    EXPECT_EQ(scan.palettes[0][4], 0u) << "entries beyond the table stay 0";
    EXPECT_EQ(scan.palettes[1][1], 0x080808u);
    EXPECT_EQ(std::tuple(scan.spans[0].frameStart, scan.spans[0].spanStart, scan.spans[0].spanLength),
              std::tuple(26, 34, 14));
    EXPECT_EQ(scan.spans[1].frameStart, scan.spans[1].spanStart) << "no control extension: the descriptor";
}

TEST(ScanGif, FrameCountIsSixteenBit) {
    Bytes file = Header();
    const Bytes tiny = Image(0, 0, 1, 1);
    for (int i = 0; i < 32768 + 5; ++i) file.insert(file.end(), tiny.begin(), tiny.end());
    file.push_back(0x3B);
    GifScan scan;
    EXPECT_EQ(ScanGif(file, scan), 32767);
}
