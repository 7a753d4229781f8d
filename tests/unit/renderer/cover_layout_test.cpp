#include <gtest/gtest.h>

#include "cover_layout.h"

namespace {
struct Layout {
    const char* why;
    std::vector<ScreenRect> monitors;
    std::vector<ScreenRect> covers;
};

// The ring window's rectangle is always the primary's: (0, 0) and its size.
const ScreenRect kPrimary{0, 0, 1280, 1024};
}  // namespace

TEST(CoverRects, EveryMonitorButThePrimaryIsCoveredOnce) {
    const Layout layouts[] = {
        {"one monitor: no cover", {kPrimary}, {}},
        {"a second to the right", {kPrimary, {1280, 0, 2304, 768}}, {{1280, 0, 2304, 768}}},
        {"left of the primary", {{-1920, 0, 0, 1080}, kPrimary}, {{-1920, 0, 0, 1080}}},
        {"above and offset", {kPrimary, {-300, -900, 1300, 0}}, {{-300, -900, 1300, 0}}},
        {"three, around the primary",
         {{-1024, -200, 0, 568}, kPrimary, {1280, 100, 3840, 1540}},
         {{-1024, -200, 0, 568}, {1280, 100, 3840, 1540}}},
        {"a mirror of the primary", {kPrimary, kPrimary}, {}},
        {"a smaller clone inside the primary", {kPrimary, {0, 0, 800, 600}}, {}},
        {"two mirrors of one other monitor",
         {kPrimary, {1280, 0, 2304, 768}, {1280, 0, 2304, 768}},
         {{1280, 0, 2304, 768}}},
        {"a smaller clone of another monitor listed first",
         {{1280, 0, 2080, 600}, kPrimary, {1280, 0, 2304, 768}},
         {{1280, 0, 2304, 768}}},
        {"partly over the primary: covered whole", {kPrimary, {1000, 0, 2000, 800}}, {{1000, 0, 2000, 800}}},
        {"empty and inverted rectangles show nothing", {kPrimary, {1280, 0, 1280, 768}, {2000, 500, 1500, 0}}, {}},
        {"extreme coordinates", {kPrimary, {INT32_MIN, INT32_MIN, -1, -1}}, {{INT32_MIN, INT32_MIN, -1, -1}}},
    };
    for (const Layout& layout : layouts) EXPECT_EQ(CoverRects(layout.monitors, kPrimary), layout.covers) << layout.why;
}
