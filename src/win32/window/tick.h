#pragma once

#include <windows.h>
#include <cstdint>

namespace zelvano {

// The window's one-second tick. A plain periodic SetTimer drifts: each period is rounded to the
// system's timer resolution and counted from when the last message was handled. This one re-arms
// itself once a tick against the performance counter, so the n-th tick stays due n seconds after
// the arm. Seconds that fell while the thread was blocked, when Windows keeps one timer message
// at most, come as that one tick, and the phase goes on from the arm.
class Tick final
{
public:
    static constexpr UINT_PTR timerId = 1;

    explicit Tick(HWND window);

    // Starts ticking, or restarts the phase: the next tick comes a full second from now.
    void arm();
    // No tick comes after this until the next arm, not even one already due.
    void kill();
    // For each WM_TIMER: whether a tick is due now. Re-arms for the next one either way.
    bool isDue();

private:
    std::int64_t now() const;
    void setTimerFor(std::int64_t dueCount);

    HWND m_window;
    std::int64_t m_frequency; // counts a second
    std::int64_t m_due = 0; // counter value of the next tick
    bool m_armed = false;
};

} // namespace zelvano
