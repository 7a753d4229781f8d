// Process-wide state that the window procedure writes and the scene reads.
#pragma once
#include <cstdint>

extern bool running;
extern std::int32_t clientWidth;
extern std::int32_t clientHeight;
extern float elapsedSeconds;
extern float frameSeconds;

// Frame clock, in 64-bit performance-counter counts.
void StartFrameClock(std::int64_t frequency, std::int64_t startCount);
// Reads the current count into the clock: frameSeconds becomes the seconds
// since the previous frame (the whole time since the start on the first one).
void StepFrameClock(std::int64_t currentCount);

// glViewport over the whole client area; a height of 0 counts as 1.
void ResizeViewport(std::int32_t width, std::int32_t height);
