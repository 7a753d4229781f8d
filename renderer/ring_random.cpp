#include "ring_random.h"

int CrtRandom::Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

double RandomUpTo(CrtRandom& random, double x) { return random.Next() * (1.0 / 32768.0) * x; }
