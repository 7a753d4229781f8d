// The ring-flight model without any drawing: six rings that grow from the
// centre, fade near their final size and respawn, and the group's tumble.
#pragma once
#include "ring_random.h"

constexpr int kRingCount = 6;

// Six parallel arrays, indexed by ring number.
struct RingSet {
    float scale[kRingCount] = {};
    float angle[kRingCount] = {};
    float red[kRingCount] = {};
    float green[kRingCount] = {};
    float blue[kRingCount] = {};
    float speed[kRingCount] = {};
    float limit[kRingCount] = {};
};

struct RingFlight {
    RingSet rings;
    float spinX = 0, spinY = 0, spinZ = 0;
    CrtRandom random;

    // New random values for ring i; the draw order is fixed, because every run
    // must fly the same rings.
    void SpawnRing(int i);

    // Initial spawn of all six: each ring starts beyond its limit, so the
    // first frame shows nothing and respawns them all.
    void SpawnAll();

    // Grow ring i by one frame step; respawns it once its scale exceeds its
    // limit (strictly). Returns true when it was respawned.
    bool AdvanceRing(int i, float frameSeconds);

    // Turn the group by one frame step at 5, 10 and 7 degrees per second.
    void AdvanceSpin(float frameSeconds);
};

// Brightness of a ring: full until it is within one unit of its limit, then
// falling linearly to 0 at the limit (negative beyond it; GL clamps to black).
float RingFade(float scale, float limit);

// One wrap test: a single subtraction of 360, so a huge step leaves the excess
// for later frames.
float WrapSpin(float spin);
