#include "qt/desktop/screensaverinhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

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

    // The portal's flag for the session going idle (blanking, locking).
    constexpr uint portalIdleFlag = 8;

    QDBusMessage call(const InhibitWay& way, const char* method)
    {
        return QDBusMessage::createMethodCall(QString::fromLatin1(way.service),
            QString::fromLatin1(way.path), QString::fromLatin1(way.interface),
            QString::fromLatin1(method));
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
    if (!inhibited)
        release();
    else if (!m_heldBy && !m_asking)
        ask(0);
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
    if (way.portal)
        message << QString() << portalIdleFlag
                << QVariantMap { { QStringLiteral("reason"), reason } };
    else
        message << QString::fromUtf8(texts::windowCaption) << reason;
    m_asking = true;
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
        granted = !reply.isError();
        m_request = granted ? reply.value().path() : QString();
    } else {
        const QDBusPendingReply<uint> reply(*call);
        granted = !reply.isError();
        m_cookie = granted ? reply.value() : 0;
    }
    if (!granted && m_wanted) {
        ask(turn + 1);
        return;
    }
    m_asking = false;
    if (!granted)
        return;
    m_heldBy = &way;
    if (!m_wanted)
        release();
}

void ScreenSaverInhibitor::release()
{
    if (!m_heldBy)
        return;
    QDBusMessage message;
    if (m_heldBy->portal) {
        message = QDBusMessage::createMethodCall(QString::fromLatin1(m_heldBy->service), m_request,
            QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
    } else {
        message = call(*m_heldBy, "UnInhibit");
        message << m_cookie;
    }
    QDBusConnection::sessionBus().asyncCall(message);
    m_heldBy = nullptr;
}

} // namespace zelvano
