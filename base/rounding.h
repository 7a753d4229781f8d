// Rounding to whole numbers. Every rounding in the program goes to the
// nearest integer with halves going to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), as the form engine turns a computed number into an
// integer: twips and pixels, the GIF control's scaled geometry, the /p
// handle, the repeat track the settings dialog stores.
#pragma once
#include <cstdint>
#include <optional>

// Where the part after the whole number lies against one half.
enum class FractionPart { BelowHalf, Half, AboveHalf };

// The rule itself, for a number split into a whole part and what follows it
// (the whole part below it, or its magnitude's for sign-and-digits text): it
// rounds up from the whole part when the rest is over one half, or exactly
// one half and the whole part odd.
constexpr bool HalfEvenRoundsUp(FractionPart fraction, bool wholeIsOdd) {
    return fraction == FractionPart::AboveHalf || (fraction == FractionPart::Half && wholeIsOdd);
}

// value rounded, whatever the FPU's rounding mode; nothing when the rounded
// value does not fit the type or value is not a number.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

// value rounded and clamped to the 32-bit range; 0 for a value that is not a
// number. The GIF control's R(x) for scaled sizes and positions, and the
// twips conversions.
std::int32_t RoundHalfEven(double value);
