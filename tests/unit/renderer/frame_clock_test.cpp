#include <gtest/gtest.h>

#include "shell_state.h"

namespace {
struct FrameClockTest : ::testing::Test {
    void SetUp() override {
        elapsedSeconds = 0.0f;
        frameSeconds = 0.0f;
    }
};
}  // namespace

TEST_F(FrameClockTest, FirstStepIsTheWholeTimeSinceTheStartAndPausesCountInFull) {
    const std::int64_t frequency = 10'000'000;
    // Well past 2^32 counts: the clock must not be 32-bit anywhere.
    const std::int64_t start = (std::int64_t{1} << 40) + 12345;
    StartFrameClock(frequency, start);
    StepFrameClock(start + frequency / 2);
    EXPECT_FLOAT_EQ(frameSeconds, 0.5f);
    EXPECT_FLOAT_EQ(elapsedSeconds, 0.5f);
    StepFrameClock(start + frequency / 2 + frequency / 100);
    EXPECT_NEAR(frameSeconds, 0.01f, 1e-6);
    StepFrameClock(start + frequency * 600);  // a long pause between frames
    EXPECT_NEAR(frameSeconds, 599.49f, 1e-3);
    StepFrameClock(start + frequency * 600);
    EXPECT_EQ(frameSeconds, 0.0f);
}

TEST_F(FrameClockTest, ZeroFrequencyKeepsTimeStill) {
    StartFrameClock(0, 100);
    StepFrameClock(200);
    EXPECT_EQ(frameSeconds, 0.0f);
}
