// The renderer's only random source: the classic 15-bit linear congruential
// generator of the Windows C library's rand(), started at 1 and never reseeded,
// so every run flies the same sequence of rings.
#pragma once
#include <cstdint>

class CrtRandom {
public:
    // Next output, 0 ... 32767.
    int Next();
    std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_ = 1;
};

// r / 32768 * x for the next output r: uniform in [0, x), in double precision.
// Callers add their constants in double and store the result as float.
double RandomUpTo(CrtRandom& random, double x);
