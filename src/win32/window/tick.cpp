#include "win32/window/tick.h"

#include <algorithm>

namespace zelvano {

namespace {

    // A timer message may come up to a resolution step early; one due within this is taken as
    // due rather than waited for again.
    constexpr std::int64_t earlyToleranceMs = 8;

} // namespace

Tick::Tick(HWND window)
    : m_window(window)
{
    LARGE_INTEGER frequency {};
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart;
}

void Tick::arm()
{
    m_armed = true;
    m_due = now() + m_frequency;
    setTimerFor(m_due);
}

void Tick::kill()
{
    m_armed = false;
    KillTimer(m_window, timerId); // also drops a timer message still waiting in the queue
}

bool Tick::isDue()
{
    if (!m_armed)
        return false;
    const std::int64_t current = now();
    const std::int64_t tolerance = m_frequency * earlyToleranceMs / 1000;
    const bool due = current + tolerance >= m_due;
    if (due) {
        // Every second already past collapses into this one tick.
        const std::int64_t late = std::max<std::int64_t>(0, current - m_due);
        m_due += (late / m_frequency + 1) * m_frequency;
    }
    setTimerFor(m_due);
    return due;
}

std::int64_t Tick::now() const
{
    LARGE_INTEGER counter {};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

void Tick::setTimerFor(std::int64_t dueCount)
{
    const std::int64_t waitMs = (dueCount - now()) * 1000 / m_frequency;
    SetTimer(m_window, timerId,
        static_cast<UINT>(std::clamp<std::int64_t>(waitMs, USER_TIMER_MINIMUM, 1000)), nullptr);
}

} // namespace zelvano
