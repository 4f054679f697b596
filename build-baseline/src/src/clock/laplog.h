#pragma once

#include <string>

#include "core/timercontext.h"

namespace zelvano {

// The Slide button: counts the slide and adds its lap line to the sorted lap list.
void onSlide(TimerContext& context);

// The line for the current slide: its own duration since the last press and the cumulative time.
// Moves the lap mark to now. Stop zeroes the count but not the mark, so a lap can be negative.
std::string formatLapLine(TimerState& state);

} // namespace zelvano
