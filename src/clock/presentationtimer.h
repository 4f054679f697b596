#pragma once

#include <cstdint>
#include <string>

#include "core/timercontext.h"

namespace zelvano {

// Start: refused while the settings are unlocked; otherwise resets the run, (re)arms the tick and
// keeps the screen awake.
void onStart(TimerContext& context);
// Stop: kills the tick, zeroes the count and lets the screen sleep again; the display, lap mark
// and lap list stay.
void onStop(TimerContext& context);
// One tick: one more second shown on the display, then at most one due bell.
void onTick(TimerContext& context);

// "%.3d:%.2d" of minutes and seconds, so 61 gives "001:01" and 60000 gives "1000:00".
std::string formatElapsed(std::int32_t seconds);

// What the main display shows for a count of seconds: its text, and how far the talk has gone by
// the bells (0 to 3), which its colour and screen readers tell.
struct DisplayedTime
{
    std::string text;
    int bellPhase;
};
DisplayedTime displayedTime(std::int32_t seconds, const BellSettings& settings);

} // namespace zelvano
