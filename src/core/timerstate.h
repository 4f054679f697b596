#pragma once

#include <cstdint>

namespace zelvano {

// The counters of one timing run, the settings lock, and what closing the window now would lose;
// all zero when the window opens.
struct TimerState
{
    std::int32_t elapsedSeconds = 0; // ticks counted since the last Start
    std::int32_t lapMarkSeconds = 0; // elapsedSeconds at the last slide press
    std::int32_t slideCount = 0; // slide presses since the last Start
    bool editingSettings = false; // true while the bell fields are unlocked
    bool running = false; // between an accepted Start and Stop
    bool lapsUnsaved = false; // lap lines listed that no report has held since the last slide
    std::uint32_t talks = 0; // accepted Starts since the window opened: each begins a new talk
};

} // namespace zelvano
