#include "shell_state.h"

#include "gl_api.h"

bool running = false;
std::int32_t clientWidth = 0;
std::int32_t clientHeight = 0;
float elapsedSeconds = 0.0f;
float frameSeconds = 0.0f;

namespace {
std::int64_t counterFrequency = 0;
std::int64_t counterStart = 0;
std::int64_t counterCurrent = 0;
}  // namespace

void StartFrameClock(std::int64_t frequency, std::int64_t startCount) {
    counterFrequency = frequency;
    counterStart = startCount;
    counterCurrent = startCount;
}

void StepFrameClock(std::int64_t currentCount) {
    counterCurrent = currentCount;
    // A zero frequency cannot come from a working counter; keep time still
    // rather than dividing by it.
    if (counterFrequency <= 0) {
        frameSeconds = 0.0f;
        return;
    }
    const double t = static_cast<double>(counterCurrent - counterStart) / static_cast<double>(counterFrequency);
    frameSeconds = static_cast<float>(t - static_cast<double>(elapsedSeconds));
    elapsedSeconds = static_cast<float>(t);
}

void ResizeViewport(std::int32_t width, std::int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
}
