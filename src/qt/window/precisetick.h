#pragma once

#include <chrono>

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace zelvano {

// The window's periodic tick, on a timer of the kernel's (timerfd) that wakes the event loop on
// time: Qt's own timers round every wait up to a whole millisecond, and ticks came 1 to 4 ms
// late. Expiries that fall while the thread is blocked are counted by the kernel and read as one
// tick; stop() disarms the timer, which drops any expiry still pending, so no tick comes after it.
// Where the kernel timer cannot be had, a precise Qt timer, which behaves the same way, ticks.
class PreciseTick final : public QObject
{
    Q_OBJECT

public:
    PreciseTick(std::chrono::milliseconds interval, QObject* parent);
    ~PreciseTick() override;
    PreciseTick(const PreciseTick&) = delete;
    PreciseTick& operator=(const PreciseTick&) = delete;

    // Starts ticking, or restarts the phase: the next tick comes a full interval from now.
    void start();
    void stop();

signals:
    void ticked();

private:
    void readExpiries();

    std::chrono::milliseconds m_interval;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_fallback;
};

} // namespace zelvano
