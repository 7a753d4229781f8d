#include <gtest/gtest.h>

#include "ring_model.h"

TEST(CrtRandom, FirstOutputsMatchTheCLibrarySequence) {
    CrtRandom random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478};
    for (int value : expected) EXPECT_EQ(random.Next(), value);
}

TEST(CrtRandom, OutputsStayFifteenBitsOverALongRun) {
    CrtRandom random;
    for (int i = 0; i < 100000; ++i) {
        const int r = random.Next();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
    // The state wraps modulo 2^32; this is the C library's 100000th state.
    EXPECT_EQ(random.State(), 106775585u);
}

TEST(RingFlight, InitialSpawnGivesRingZeroItsKnownValuesAndConsumes42Draws) {
    RingFlight flight;
    flight.SpawnAll();
    const RingSet& r = flight.rings;
    EXPECT_NEAR(r.angle[0], 0.4504, 1e-4);
    EXPECT_NEAR(r.red[0], 0.5636, 1e-4);
    EXPECT_NEAR(r.green[0], 0.1933, 1e-4);
    EXPECT_NEAR(r.blue[0], 0.8087, 1e-4);
    EXPECT_NEAR(r.speed[0], 0.6755, 1e-4);
    EXPECT_NEAR(r.limit[0], 1.4799, 1e-4);
    EXPECT_NEAR(r.scale[0], 3.3503, 1e-4);
    for (int i = 0; i < kRingCount; ++i) {
        EXPECT_GE(r.scale[i], 3.0f);
        EXPECT_LT(r.scale[i], 4.0f);
        EXPECT_GT(r.scale[i], r.limit[i]) << "every ring starts beyond its limit";
        EXPECT_GE(r.speed[i], 0.5f);
        EXPECT_LT(r.speed[i], 0.8f);
        EXPECT_GE(r.limit[i], 1.0f);
        EXPECT_LT(r.limit[i], 2.0f);
    }
    CrtRandom reference;
    for (int i = 0; i < 42; ++i) reference.Next();
    EXPECT_EQ(flight.random.State(), reference.State());
}

TEST(RingFlight, SpawnDrawsInFixedOrderAndResetsScale) {
    RingFlight flight;
    flight.rings.scale[2] = 1.7f;
    flight.SpawnRing(2);
    EXPECT_EQ(flight.rings.scale[2], 0.0f);
    EXPECT_FLOAT_EQ(flight.rings.angle[2], float(41 / 32768.0 * 360));
    EXPECT_FLOAT_EQ(flight.rings.speed[2], float(19169 / 32768.0 * 0.3 + 0.5));
    EXPECT_FLOAT_EQ(flight.rings.limit[2], float(15724 / 32768.0 + 1.0));
}

TEST(RingFlight, RespawnsOnlyWhenScaleStrictlyExceedsLimit) {
    RingFlight flight;
    flight.rings.limit[0] = 1.5f;
    flight.rings.speed[0] = 0.5f;
    flight.rings.scale[0] = 1.5f;
    EXPECT_FALSE(flight.AdvanceRing(0, 0.0f)) << "equal to the limit stays";
    EXPECT_EQ(flight.rings.scale[0], 1.5f);
    EXPECT_TRUE(flight.AdvanceRing(0, 0.001f));
    EXPECT_EQ(flight.rings.scale[0], 0.0f);

    flight.rings.scale[1] = 0.25f;
    flight.rings.speed[1] = 0.6f;
    flight.rings.limit[1] = 1.9f;
    EXPECT_FALSE(flight.AdvanceRing(1, 0.5f));
    EXPECT_FLOAT_EQ(flight.rings.scale[1], 0.55f);
}

TEST(RingFade, FullUntilOneUnitBeforeLimitThenLinearToZero) {
    EXPECT_EQ(RingFade(0.0f, 1.5f), 1.0f);
    EXPECT_EQ(RingFade(0.5f, 1.5f), 1.0f);
    EXPECT_FLOAT_EQ(RingFade(1.25f, 1.5f), 0.25f);
    EXPECT_FLOAT_EQ(RingFade(1.5f, 1.5f), 0.0f);
    EXPECT_LT(RingFade(3.35f, 1.48f), 0.0f) << "beyond the limit the colour goes negative";
}

TEST(Spin, WrapsWithOneSubtractionPerFrame) {
    EXPECT_FLOAT_EQ(WrapSpin(360.0f), 360.0f);
    EXPECT_FLOAT_EQ(WrapSpin(361.0f), 1.0f);
    RingFlight flight;
    flight.AdvanceSpin(80.0f);  // spinY 800
    EXPECT_FLOAT_EQ(flight.spinX, 40.0f);
    EXPECT_FLOAT_EQ(flight.spinY, 440.0f) << "a large step keeps its excess";
    EXPECT_FLOAT_EQ(flight.spinZ, 200.0f);
    flight.AdvanceSpin(0.0f);
    EXPECT_FLOAT_EQ(flight.spinY, 80.0f);
    flight.AdvanceSpin(0.0f);
    EXPECT_FLOAT_EQ(flight.spinY, 80.0f);
}
