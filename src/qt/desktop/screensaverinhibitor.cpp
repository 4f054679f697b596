#include "qt/desktop/screensaverinhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include "core/texts.h"

namespace zelvano {

struct InhibitWay
{
    const char* service;
    const char* path;
    const char* interface;
    bool portal;
};

namespace {

    // The screen saver's own interface, at its path and at the path older desktops used.
    constexpr InhibitWay screenSaver { "org.freedesktop.ScreenSaver",
        "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", false };
    constexpr InhibitWay olderScreenSaver { "org.freedesktop.ScreenSaver", "/ScreenSaver",
        "org.freedesktop.ScreenSaver", false };
    constexpr InhibitWay portal { "org.freedesktop.portal.Desktop",
        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Inhibit", true };
    constexpr const char* requestInterface = "org.freedesktop.portal.Request";

    // The portal's flag for the session going idle (blanking, locking).
    constexpr uint portalIdleFlag = 8;

    QDBusMessage call(const InhibitWay& way, const char* method)
    {
        return QDBusMessage::createMethodCall(QString::fromLatin1(way.service),
            QString::fromLatin1(way.path), QString::fromLatin1(way.interface),
            QString::fromLatin1(method));
    }

    // Where the portal puts the request it makes for a token of ours, so that its Response can
    // be listened for before the request is made.
    QString requestPath(const QDBusConnection& bus, const QString& token)
    {
        QString sender = bus.baseService().mid(1);
        sender.replace(u'.', u'_');
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    }

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(std::function<void(const std::string&)> trace)
    : m_trace(std::move(trace))
    , m_ways { &screenSaver, &olderScreenSaver, &portal }
{
    // Under Wayland the portal is the way; on X the screen saver itself usually answers.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        m_ways = { &portal, &screenSaver, &olderScreenSaver };
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() { release(); }

void ScreenSaverInhibitor::setInhibited(bool inhibited)
{
    m_wanted = inhibited;
    if (!inhibited) {
        release();
        return;
    }
    watchServices();
    if (!m_heldBy && !m_asking)
        ask(0);
}

// From the first request on: the session bus is connected to, and its services watched, once
// the screen saver is to be held off, not while the window opens.
void ScreenSaverInhibitor::watchServices()
{
    if (m_services)
        return;
    m_services = new QDBusServiceWatcher(QString::fromLatin1(screenSaver.service),
        QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange, this);
    m_services->addWatchedService(QString::fromLatin1(portal.service));
    connect(m_services, &QDBusServiceWatcher::serviceOwnerChanged, this,
        &ScreenSaverInhibitor::serviceChanged);
}

void ScreenSaverInhibitor::ask(std::size_t turn)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (turn == m_ways.size() || !bus.isConnected()) {
        m_asking = false;
        m_trace(texts::screenAwakeUnavailable);
        return;
    }
    const InhibitWay& way = *m_ways[turn];
    const QString reason = QString::fromUtf8(texts::screenAwakeReason);
    QDBusMessage message = call(way, "Inhibit");
    if (way.portal) {
        const QString token = QStringLiteral("zelvano%1").arg(++m_requests);
        m_request = requestPath(bus, token);
        m_portalRefused = false;
        watchResponse(true);
        message << QString() << portalIdleFlag
                << QVariantMap { { QStringLiteral("handle_token"), token },
                       { QStringLiteral("reason"), reason } };
    } else {
        message << QString::fromUtf8(texts::windowCaption) << reason;
    }
    m_asking = true;
    m_turn = turn;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, turn](QDBusPendingCallWatcher* finished) { answered(finished, turn); });
}

void ScreenSaverInhibitor::answered(QDBusPendingCallWatcher* call, std::size_t turn)
{
    call->deleteLater();
    const InhibitWay& way = *m_ways[turn];
    bool granted = false;
    if (way.portal) {
        const QDBusPendingReply<QDBusObjectPath> reply(*call);
        granted = !reply.isError() && !m_portalRefused;
        // An older portal may not put the request where it was asked to.
        if (granted && reply.value().path() != m_request) {
            watchResponse(false);
            m_request = reply.value().path();
            watchResponse(true);
        }
    } else {
        const QDBusPendingReply<uint> reply(*call);
        granted = !reply.isError();
        m_cookie = granted ? reply.value() : 0;
    }
    if (!granted) {
        moveOn(turn);
        return;
    }
    m_asking = false;
    m_heldBy = &way;
    if (!m_wanted)
        release();
}

// A refused way: the next one, while the screen is still to be kept awake.
void ScreenSaverInhibitor::moveOn(std::size_t turn)
{
    if (m_ways[turn]->portal)
        watchResponse(false);
    if (m_wanted)
        ask(turn + 1);
    else
        m_asking = false;
}

void ScreenSaverInhibitor::portalResponded(uint response, const QVariantMap&)
{
    if (response == 0)
        return;
    if (m_asking) {
        m_portalRefused = true; // seen when the answer comes
        return;
    }
    if (m_heldBy && m_heldBy->portal) {
        m_heldBy = nullptr;
        moveOn(m_turn);
    }
}

// A service that leaves the bus takes what it held with it; one that comes is asked, when the
// screen is to be kept awake and nothing does so.
void ScreenSaverInhibitor::serviceChanged(
    const QString& service, const QString& oldOwner, const QString& newOwner)
{
    if (m_heldBy && service == QString::fromLatin1(m_heldBy->service) && !oldOwner.isEmpty()) {
        if (m_heldBy->portal)
            watchResponse(false);
        m_heldBy = nullptr;
    }
    if (m_wanted && !m_heldBy && !m_asking && (!oldOwner.isEmpty() || !newOwner.isEmpty()))
        ask(0);
}

void ScreenSaverInhibitor::release()
{
    if (!m_heldBy)
        return;
    QDBusMessage message;
    if (m_heldBy->portal) {
        watchResponse(false);
        message = QDBusMessage::createMethodCall(QString::fromLatin1(m_heldBy->service), m_request,
            QString::fromLatin1(requestInterface), QStringLiteral("Close"));
    } else {
        message = call(*m_heldBy, "UnInhibit");
        message << m_cookie;
    }
    m_heldBy = nullptr;
    auto* watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            if (finished->isError())
                m_trace(texts::screenAwakeNotReleased);
        });
}

// QtDBus delivers a bus signal only to a slot named in a string.
void ScreenSaverInhibitor::watchResponse(bool watch)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QString::fromLatin1(portal.service);
    const QString interface = QString::fromLatin1(requestInterface);
    const QString name = QStringLiteral("Response");
    const char* slot = SLOT(portalResponded(uint, QVariantMap));
    if (watch)
        bus.connect(service, m_request, interface, name, this, slot);
    else
        bus.disconnect(service, m_request, interface, name, this, slot);
}

} // namespace zelvano
