// Rounding to whole numbers. The form engine turns a computed number into an
// integer by rounding to the nearest integer with halves going to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
#pragma once
#include <cstdint>
#include <optional>

// value rounded to the nearest integer, halves to even; nothing when the
// rounded value does not fit the type or value is not a number.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);
