// Where the Command button's skin goes on the control. A skin is 64 x 25
// pixels of 96-dpi art (960 x 375 twips) of which only the 4-pixel (60-twip)
// border band is used, in eight pieces. The pieces are laid out in twips:
// their places on the control follow the screen's twips per pixel, while
// what they take from the skin is measured in the skin's own pixels (15
// twips each), so that a larger screen stretches the same pieces.
#pragma once
#include <array>
#include <cstdint>

namespace command {

struct SkinPiece {
    std::int32_t x, y, width, height;                          // on the control, device pixels
    std::int32_t sourceX, sourceY, sourceWidth, sourceHeight;  // in the skin, its pixels
};

// The pieces for a control of clientWidth x clientHeight device pixels, in
// the order top-left corner, top edge, top-right corner, right edge,
// bottom-right corner, bottom edge, bottom-left corner, left edge. On a
// control narrower or lower than two bands the edges have no room: their
// width or height is 0 (never negative, which would mirror them).
std::array<SkinPiece, 8> SkinPieces(std::int32_t clientWidth, std::int32_t clientHeight, float twipsPerPixelX,
                                    float twipsPerPixelY);

// The caption's line (195 twips high), 10 twips above the control's middle:
// its top and height in device pixels.
struct CaptionLine {
    std::int32_t top, height;
};
CaptionLine CaptionPlace(std::int32_t clientHeight, float twipsPerPixelY);

}  // namespace command
