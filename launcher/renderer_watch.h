// When the launcher's side of a saver run ends: the renderer's window, once
// seen, is gone; or the renderer's process has ended; or no window appeared
// within the start-up limit. Checked at every tick of the 500 ms watch, so a
// renderer that is slow to open its window does not end the run early.
#pragma once
#include <cstdint>

constexpr std::int64_t kRendererStartLimitMs = 10000;

class RendererWatch {
public:
    enum class Verdict { KeepWatching, EndRun };
    // processStarted: the launcher holds the renderer's process.
    explicit RendererWatch(bool processStarted) : processStarted_(processStarted) {}
    // One tick: is the renderer's window there, has its process ended, and how
    // long since the run began.
    Verdict Tick(bool windowFound, bool processEnded, std::int64_t sinceStartMs);
    bool WindowSeen() const { return windowSeen_; }

private:
    bool processStarted_;
    bool windowSeen_ = false;
};
