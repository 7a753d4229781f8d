// Twips: the layout unit of the launcher's forms and controls, 1/1440 inch.
// Windows and device contexts work in pixels, so every position and size
// crosses this conversion on its way to or from the platform.
//
// Rounding: the form engine turns a computed number into an integer by
// rounding to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Every conversion here rounds that way, so
// a size computed in twips lands on the same pixel whichever way it travels.
// Products are taken in double precision from the single-precision factor,
// as the engine's arithmetic does.
#pragma once
#include <cstdint>
#include <optional>

constexpr int kTwipsPerInch = 1440;
// The screen's logical DPI when the device cannot be asked: 15 twips per pixel.
constexpr int kDefaultDpi = 96;
// A picture's pixels are 96-dpi pixels, whatever the screen: a 13-pixel mark
// is 195 twips, drawn 13 pixels wide at 96 dpi and 20 (19.5) at 144.
constexpr int kTwipsPerPicturePixel = 15;

// Twips per pixel for a logical DPI: 1440 / dpi as a float (15 at 96, 12 at
// 120, 10 at 144). A dpi of 0 or less (a failed device query) counts as 96.
float TwipsPerPixel(int dpi);

// value rounded to the nearest integer, halves to even; nothing when the
// rounded value does not fit the type or value is not a number.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

// pixels x twipsPerPixel and twips / twipsPerPixel, rounded as above. A
// result beyond the 32-bit range is clamped to it; a factor that is not a
// positive finite number gives 0.
std::int32_t PixelsToTwips(std::int32_t pixels, float twipsPerPixel);
std::int32_t TwipsToPixels(std::int32_t twips, float twipsPerPixel);

// A picture's length (its own pixels) in device pixels at twipsPerPixel: the
// picture's twips converted as above; 0 for an unusable factor.
std::int32_t PictureToDevicePixels(std::int32_t picturePixels, float twipsPerPixel);

// The preview's 16-bit size in twips: pixels x twipsPerPixel rounded to a
// 16-bit signed integer. Nothing when it does not fit (a host wider than
// 2184 pixels at 15 twips per pixel) or the factor is unusable; the caller
// then leaves its variable as it was (0).
std::optional<std::int16_t> PixelsToTwips16(std::int32_t pixels, float twipsPerPixel);
