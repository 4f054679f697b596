#pragma once

#include <array>
#include <functional>
#include <string>

#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace zelvano {

// One service that can be asked: the screen saver at one of its two paths, or the portal.
struct InhibitWay;

// Keeps the session's screen saver from blanking, dimming or locking the screen while asked to,
// over the session bus: the screen saver's own Inhibit, or the desktop portal's (the way under
// Wayland and in a sandbox), each tried in turn until one grants it. The portal grants a request
// by answering it, but may refuse it later in the request's Response, which then moves on to the
// next way too. Every call is asynchronous, so the window never waits for the bus; an answer that
// comes after the request was withdrawn is let go of at once. An inhibition lost because its
// service left the bus is asked for again, at once and whenever a service comes onto the bus. The
// bus releases whatever the program still holds when it ends.
class ScreenSaverInhibitor final : public QObject
{
    Q_OBJECT

public:
    // trace is told once for each request that nothing on the bus granted, and for each release
    // that the service refused.
    explicit ScreenSaverInhibitor(std::function<void(const std::string&)> trace);
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);

private slots:
    // The portal's Response to the request asked for: 0 granted, anything else refused.
    void portalResponded(uint response, const QVariantMap& results);

private:
    void ask(std::size_t turn);
    void answered(QDBusPendingCallWatcher* call, std::size_t turn);
    void moveOn(std::size_t turn);
    void serviceChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
    void release();
    void watchResponse(bool watch);
    void watchServices();

    std::function<void(const std::string&)> m_trace;
    bool m_wanted = false;
    bool m_asking = false;
    std::array<const InhibitWay*, 3> m_ways; // in the order they are tried
    std::size_t m_turn = 0; // the way asked last
    const InhibitWay* m_heldBy = nullptr;
    bool m_portalRefused = false; // the Response came before the answer
    uint m_cookie = 0; // what the screen saver handed out
    QString m_request; // the path of the portal's request
    int m_requests = 0;
    QDBusServiceWatcher* m_services = nullptr; // the services that may hold the inhibition
};

} // namespace zelvano
