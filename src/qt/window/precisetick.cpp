#include "qt/window/precisetick.h"

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zelvano {

namespace {

    timespec toTimespec(std::chrono::milliseconds duration)
    {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
        const auto nanoseconds
            = std::chrono::duration_cast<std::chrono::nanoseconds>(duration - seconds);
        return { static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count()) };
    }

} // namespace

PreciseTick::PreciseTick(std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent)
    , m_interval(interval)
    , m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &PreciseTick::readExpiries);
    } else {
        m_fallback.setTimerType(Qt::PreciseTimer);
        m_fallback.setInterval(m_interval);
        connect(&m_fallback, &QTimer::timeout, this, &PreciseTick::ticked);
    }
}

PreciseTick::~PreciseTick()
{
    if (m_fd < 0)
        return;
    delete m_notifier;
    ::close(m_fd);
}

void PreciseTick::start()
{
    if (m_fd < 0) {
        m_fallback.start();
        return;
    }
    const itimerspec every { toTimespec(m_interval), toTimespec(m_interval) };
    ::timerfd_settime(m_fd, 0, &every, nullptr);
}

void PreciseTick::stop()
{
    if (m_fd < 0) {
        m_fallback.stop();
        return;
    }
    const itimerspec disarmed {};
    ::timerfd_settime(m_fd, 0, &disarmed, nullptr);
}

// A read after stop() finds nothing (EAGAIN), even when the loop had already seen the timer ready.
void PreciseTick::readExpiries()
{
    std::uint64_t expiries = 0;
    ssize_t got = 0;
    do
        got = ::read(m_fd, &expiries, sizeof expiries);
    while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof expiries) && expiries > 0)
        emit ticked();
}

} // namespace zelvano
