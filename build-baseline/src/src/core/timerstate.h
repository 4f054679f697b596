#pragma once

#include <cstdint>

namespace zelvano {

// The counters of one timing run plus the settings lock; all zero when the window opens.
struct TimerState
{
    std::int32_t elapsedSeconds = 0; // ticks counted since the last Start
    std::int32_t lapMarkSeconds = 0; // elapsedSeconds at the last slide press
    std::int32_t slideCount = 0; // slide presses since the last Start
    bool editingSettings = false; // true while the bell fields are unlocked
};

} // namespace zelvano
