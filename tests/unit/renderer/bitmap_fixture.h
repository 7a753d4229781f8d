#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A hand-off bitmap as the launcher writes it: 24-bit, bottom-up, rows padded.
std::vector<std::uint8_t> MakeBitmap(std::int32_t width, std::int32_t height, std::uint32_t sizeImage = 0,
                                     std::uint16_t bits = 24, std::uint32_t compression = 0,
                                     std::uint32_t offBits = 54);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);
std::string WriteTempFile(const std::vector<std::uint8_t>& bytes);
