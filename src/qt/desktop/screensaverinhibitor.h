#pragma once

#include <array>
#include <functional>
#include <string>

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace zelvano {

// One service that can be asked: the screen saver at one of its two paths, or the portal.
struct InhibitWay;

// Keeps the session's screen saver from blanking, dimming or locking the screen while asked to,
// over the session bus: the screen saver's own Inhibit, or the desktop portal's (the way under
// Wayland and in a sandbox), each tried in turn until one answers. Every call is asynchronous, so
// the window never waits for the bus; an answer that comes after the request was withdrawn is
// released at once. The bus releases whatever the program still holds when it ends.
class ScreenSaverInhibitor final : public QObject
{
public:
    // trace is told once for each request that nothing on the bus granted.
    explicit ScreenSaverInhibitor(std::function<void(const std::string&)> trace);
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);

private:
    void ask(std::size_t turn);
    void answered(QDBusPendingCallWatcher* call, std::size_t turn);
    void release();

    std::function<void(const std::string&)> m_trace;
    bool m_wanted = false;
    bool m_asking = false;
    std::array<const InhibitWay*, 3> m_ways; // in the order they are tried
    const InhibitWay* m_heldBy = nullptr;
    uint m_cookie = 0; // what the screen saver handed out
    QString m_request; // the path of what the portal handed out
};

} // namespace zelvano
