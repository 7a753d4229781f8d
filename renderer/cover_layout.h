// Which parts of the desktop a run covers. The ring window fills the primary
// monitor; every other monitor gets a black cover of its own, so nothing on
// any screen stays readable while the saver runs.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

// A rectangle in virtual-screen pixels: left and top inside, right and bottom
// just outside, as the system reports monitors. Monitors left of or above the
// primary have negative coordinates.
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect&) const = default;
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(const ScreenRect& inner) const {
        return left <= inner.left && top <= inner.top && inner.right <= right && inner.bottom <= bottom;
    }
};

// The rectangles that need covers, given every monitor and the ring window's
// rectangle: one per monitor, in the order given, except
//   - an empty (or inverted) rectangle, which shows nothing;
//   - a monitor inside the ring window (the primary itself, or a mirror of it);
//   - a monitor inside another monitor that gets covered (a mirror of it, or a
//     smaller clone), so no screen gets two covers.
// A monitor that only partly overlaps the ring window is covered whole; the
// ring window stays above the covers, so the rings are not hidden.
std::vector<ScreenRect> CoverRects(std::span<const ScreenRect> monitors, const ScreenRect& ringWindow);
