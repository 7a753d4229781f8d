#include <gtest/gtest.h>

#include "renderer_watch.h"

using Verdict = RendererWatch::Verdict;

TEST(RendererWatch, ASlowRendererKeepsTheRunUntilItsWindowComesAndGoes) {
    RendererWatch watch(true);
    for (std::int64_t ms = 500; ms <= 3000; ms += 500) EXPECT_EQ(watch.Tick(false, false, ms), Verdict::KeepWatching);
    EXPECT_EQ(watch.Tick(true, false, 3500), Verdict::KeepWatching);
    EXPECT_TRUE(watch.WindowSeen());
    EXPECT_EQ(watch.Tick(true, false, 60000), Verdict::KeepWatching) << "no limit once the window is up";
    EXPECT_EQ(watch.Tick(false, false, 60500), Verdict::EndRun);
}

TEST(RendererWatch, EndsWhenTheProcessEndsOrNeverStartedOrTheLimitPasses) {
    EXPECT_EQ(RendererWatch(true).Tick(false, true, 500), Verdict::EndRun);
    EXPECT_EQ(RendererWatch(false).Tick(false, false, 500), Verdict::EndRun);
    RendererWatch slow(true);
    EXPECT_EQ(slow.Tick(false, false, kRendererStartLimitMs - 1), Verdict::KeepWatching);
    EXPECT_EQ(slow.Tick(false, false, kRendererStartLimitMs), Verdict::EndRun);
    // A window still open keeps the run even if the process handle says it ended.
    EXPECT_EQ(RendererWatch(true).Tick(true, true, 500), Verdict::KeepWatching);
}
