#include "renderer_watch.h"

RendererWatch::Verdict RendererWatch::Tick(bool windowFound, bool processEnded, std::int64_t sinceStartMs) {
    if (windowFound) {
        windowSeen_ = true;
        return Verdict::KeepWatching;
    }
    if (windowSeen_) return Verdict::EndRun;  // the window came and went
    if (!processStarted_ || processEnded) return Verdict::EndRun;
    return sinceStartMs >= kRendererStartLimitMs ? Verdict::EndRun : Verdict::KeepWatching;
}
