#include "ring_model.h"

void RingFlight::SpawnRing(int i) {
    rings.scale[i] = 0.0f;
    rings.angle[i] = static_cast<float>(RandomUpTo(random, 360.0));
    rings.red[i] = static_cast<float>(RandomUpTo(random, 1.0));
    rings.green[i] = static_cast<float>(RandomUpTo(random, 1.0));
    rings.blue[i] = static_cast<float>(RandomUpTo(random, 1.0));
    rings.speed[i] = static_cast<float>(RandomUpTo(random, 0.3) + 0.5);
    rings.limit[i] = static_cast<float>(RandomUpTo(random, 1.0) + 1.0);
}

void RingFlight::SpawnAll() {
    for (int i = 0; i < kRingCount; ++i) {
        SpawnRing(i);
        rings.scale[i] = static_cast<float>(RandomUpTo(random, 1.0) + 3.0);
    }
}

bool RingFlight::AdvanceRing(int i, float frameSeconds) {
    rings.scale[i] += frameSeconds * rings.speed[i];
    if (rings.scale[i] > rings.limit[i]) {
        SpawnRing(i);
        return true;
    }
    return false;
}

float WrapSpin(float spin) {
    if (spin > 360.0f) spin -= 360.0f;
    return spin;
}

void RingFlight::AdvanceSpin(float frameSeconds) {
    spinX = WrapSpin(spinX + frameSeconds * 5.0f);
    spinY = WrapSpin(spinY + frameSeconds * 10.0f);
    spinZ = WrapSpin(spinZ + frameSeconds * 7.0f);
}

float RingFade(float scale, float limit) {
    if (scale <= limit - 1.0f) return 1.0f;
    return limit - scale;
}
