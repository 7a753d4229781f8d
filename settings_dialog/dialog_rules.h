// The settings dialog's arithmetic and text rules, apart from its window:
// where it opens, how numbers show in the repeat box, and what the repeat
// text stores.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "settings.h"

// The repeat box's number format "##": no digits for 0, the sign for a
// negative number (-3 shows "-3").
std::string FormatHash(std::int16_t value);

// The dialog's top-left corner in twips: centred horizontally, one third of
// the free height above it. Each difference is rounded to a whole number,
// then divided with the remainder dropped (at 1024 x 768 pixels and 15 twips
// per pixel the top is 2245 twips, which lands on pixel 150).
struct DialogOrigin {
    std::int32_t left = 0, top = 0;
};
DialogOrigin PlaceDialog(double screenWidth, double screenHeight, double windowWidth, double windowHeight);

// The repeat track "設定" stores for the text in the box: the number rounded
// to the nearest whole one (halves to the even one), 0 for a text that is no
// number (the empty text too), and the old value when the number does not
// fit in 16 bits.
std::int16_t RepeatFromText(std::string_view text, std::int16_t old);

// The dialog's music source marks, one a row, in the order of the kinds:
// 0 none, 1 CD, 2 file. A stored kind without a mark of its own (5, -1) is
// kept as it is, but marks nothing: -1.
constexpr int SourceMarkOf(MusicKind kind) {
    const int mark = static_cast<int>(kind);
    return mark >= 0 && mark <= 2 ? mark : -1;
}
constexpr MusicKind SourceOfMark(int mark) { return static_cast<MusicKind>(mark); }
