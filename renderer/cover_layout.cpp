#include "cover_layout.h"

namespace {
// Whether monitor i is already covered by another monitor's cover: one that
// holds it and is itself kept. Of two equal rectangles the first one stays.
bool InsideAnotherMonitor(std::span<const ScreenRect> monitors, std::size_t i) {
    for (std::size_t j = 0; j < monitors.size(); ++j) {
        if (j == i || monitors[j].Empty() || !monitors[j].Contains(monitors[i])) continue;
        if (monitors[j] != monitors[i] || j < i) return true;
    }
    return false;
}
}  // namespace

std::vector<ScreenRect> CoverRects(std::span<const ScreenRect> monitors, const ScreenRect& ringWindow) {
    std::vector<ScreenRect> covers;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& monitor = monitors[i];
        if (monitor.Empty() || ringWindow.Contains(monitor) || InsideAnotherMonitor(monitors, i)) continue;
        covers.push_back(monitor);
    }
    return covers;
}
