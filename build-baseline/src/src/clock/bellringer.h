#pragma once

#include <cstdint>

#include "core/timercontext.h"

namespace zelvano {

inline constexpr const char* bellSoundName = "ring.wav";
inline constexpr int bellSpacingMs = 400;
inline constexpr std::int32_t testRingCount = 3;
// Plays the bell count times, 400 ms apart, blocking the calling thread meanwhile. Counts above
// the largest a confirm accepts (from a refused confirm or an edited settings file) ring that
// largest count, so the window never freezes for seconds in front of an audience.
void ringBell(PlatformServices& platform, std::int32_t count);

// The Test button: always three rings, whatever the settings say.
void onTest(TimerContext& context);

} // namespace zelvano
