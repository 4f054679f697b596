#include <memory>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTest>
#include <QVariantMap>

#include "core/texts.h"
#include "qt/desktop/screensaverinhibitor.h"

using namespace zelvano;

namespace {

// What a stand-in service does when asked: refuse with an error, grant, or (the portal only)
// grant the request and refuse it a moment later in the request's Response, as the portal does
// when its backend says no.
enum class Answer { Absent, Refuses, Grants, RefusesLater };

// Every call that reaches a stand-in, in order: "Inhibit /ScreenSaver", "UnInhibit 7", "Close", ...
QStringList calls;

// A service on the bus that notes each call that reaches it, and refuses it when told to.
class StandIn : public QObject, protected QDBusContext
{
    Q_OBJECT

protected:
    void answer(const QString& call, bool refuse)
    {
        calls << call;
        if (refuse)
            sendErrorReply(QDBusError::AccessDenied);
    }
};

class ScreenSaverStandIn final : public StandIn
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    ScreenSaverStandIn(QString path, Answer answer, bool refusesRelease)
        : m_path(std::move(path))
        , m_answer(answer)
        , m_refusesRelease(refusesRelease)
    { }

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        answer(QStringLiteral("Inhibit ") + m_path, m_answer == Answer::Refuses);
        return 7;
    }
    void UnInhibit(uint cookie)
    {
        answer(QStringLiteral("UnInhibit %1").arg(cookie), m_refusesRelease);
    }

private:
    QString m_path;
    Answer m_answer;
    bool m_refusesRelease;
};

// The portal's request: Close ends it, Response tells the caller how it went.
class RequestStandIn final : public StandIn
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    explicit RequestStandIn(bool refusesRelease)
        : m_refusesRelease(refusesRelease)
    { }

public slots:
    void Close() { answer(QStringLiteral("Close"), m_refusesRelease); }

private:
    bool m_refusesRelease;
};

class PortalStandIn final : public StandIn
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    PortalStandIn(QDBusConnection bus, Answer answer, bool refusesRelease)
        : m_bus(std::move(bus))
        , m_answer(answer)
        , m_request(refusesRelease)
    { }

public slots:
    // The request's path is the one the portal promises for the caller and its handle_token, or
    // a token of the portal's own when the caller gave none.
    QDBusObjectPath Inhibit(const QString&, uint flags, const QVariantMap& options)
    {
        answer(QStringLiteral("Inhibit portal %1").arg(flags), m_answer == Answer::Refuses);
        if (m_answer == Answer::Refuses)
            return {};
        QString sender = message().service().mid(1);
        sender.replace(u'.', u'_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender,
                                     options
                                         .value(QStringLiteral("handle_token"),
                                             QStringLiteral("portal%1").arg(++m_requests))
                                         .toString());
        m_bus.unregisterObject(path);
        m_bus.registerObject(path, &m_request, QDBusConnection::ExportAllSlots);
        if (m_answer == Answer::RefusesLater) {
            QDBusMessage response = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            response << 2U << QVariantMap();
            QMetaObject::invokeMethod(
                this, [bus = m_bus, response] { bus.send(response); }, Qt::QueuedConnection);
        }
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
    Answer m_answer;
    RequestStandIn m_request;
    int m_requests = 0;
};

// The screen saver at its two paths and the portal, each on a connection of its own to the
// private session bus, as separate programs would be.
struct Ways
{
    Answer current = Answer::Absent;
    Answer older = Answer::Absent;
    Answer portal = Answer::Absent;
    bool refusesRelease = false;
};

class StandIns final
{
public:
    explicit StandIns(const Ways& ways)
    {
        if (ways.current != Answer::Absent || ways.older != Answer::Absent) {
            QDBusConnection bus = connect();
            for (const auto& [path, answer] :
                { std::pair { "/org/freedesktop/ScreenSaver", ways.current },
                    std::pair { "/ScreenSaver", ways.older } }) {
                if (answer == Answer::Absent)
                    continue;
                m_objects.push_back(std::make_unique<ScreenSaverStandIn>(
                    QString::fromLatin1(path), answer, ways.refusesRelease));
                bus.registerObject(QString::fromLatin1(path), m_objects.back().get(),
                    QDBusConnection::ExportAllSlots);
            }
            bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
        }
        if (ways.portal != Answer::Absent) {
            QDBusConnection bus = connect();
            m_objects.push_back(
                std::make_unique<PortalStandIn>(bus, ways.portal, ways.refusesRelease));
            bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                m_objects.back().get(), QDBusConnection::ExportAllSlots);
            bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        }
    }
    ~StandIns()
    {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
    }
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

private:
    QDBusConnection connect()
    {
        static int made = 0;
        m_connections << QStringLiteral("standin%1").arg(++made);
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connections.back());
    }

    QStringList m_connections;
    std::vector<std::unique_ptr<QObject>> m_objects;
};

} // namespace

Q_DECLARE_METATYPE(Ways)

class TestScreenSaverInhibitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void asksEachWayInTurnUntilOneGrants_data();
    void asksEachWayInTurnUntilOneGrants();
    void asksAgainWhenTheServiceComesBack();
};

void TestScreenSaverInhibitor::initTestCase()
{
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("no session bus: run under dbus-run-session");
}

void TestScreenSaverInhibitor::init() { calls.clear(); }

// On X the screen saver's own interface is asked first, at its path and then at the one older
// desktops used, then the portal; whatever granted is let go of when the timer stops. A refusal,
// whether it comes as the answer or later as the portal's Response, moves on to the next way, and
// when none is left the trace says once that the screen may blank. A release the service refuses
// is traced too.
void TestScreenSaverInhibitor::asksEachWayInTurnUntilOneGrants_data()
{
    QTest::addColumn<Ways>("ways");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("release"); // what the stop sends, if anything
    const QString current = QStringLiteral("Inhibit /org/freedesktop/ScreenSaver");
    const QString older = QStringLiteral("Inhibit /ScreenSaver");
    const QString portal = QStringLiteral("Inhibit portal 8");
    const QString unInhibit = QStringLiteral("UnInhibit 7");
    const QString close = QStringLiteral("Close");
    constexpr auto absent = Answer::Absent;
    constexpr auto refuses = Answer::Refuses;
    constexpr auto grants = Answer::Grants;
    QTest::newRow("the screen saver")
        << Ways { grants, grants, grants } << QStringList { current } << unInhibit;
    QTest::newRow("at the older path")
        << Ways { absent, grants, grants } << QStringList { older } << unInhibit;
    QTest::newRow("refused, then the older path")
        << Ways { refuses, grants, grants } << QStringList { current, older } << unInhibit;
    QTest::newRow("the portal") << Ways { refuses, refuses, grants }
                                << QStringList { current, older, portal } << close;
    QTest::newRow("the portal alone")
        << Ways { absent, absent, grants } << QStringList { portal } << close;
    QTest::newRow("the portal refuses in its response")
        << Ways { absent, absent, Answer::RefusesLater } << QStringList { portal } << QString();
    QTest::newRow("all refuse") << Ways { refuses, refuses, refuses }
                                << QStringList { current, older, portal } << QString();
    QTest::newRow("nothing on the bus") << Ways {} << QStringList() << QString();
    QTest::newRow("the screen saver will not let go")
        << Ways { grants, absent, absent, true } << QStringList { current } << unInhibit;
    QTest::newRow("the portal will not let go")
        << Ways { absent, absent, grants, true } << QStringList { portal } << close;
}

void TestScreenSaverInhibitor::asksEachWayInTurnUntilOneGrants()
{
    QFETCH(Ways, ways);
    QFETCH(QStringList, asked);
    QFETCH(QString, release);
    const StandIns standIns(ways);
    QStringList traced;
    ScreenSaverInhibitor inhibitor(
        [&traced](const std::string& text) { traced << QString::fromStdString(text); });
    inhibitor.setInhibited(true);
    QTRY_COMPARE(calls, asked);
    const QStringList unavailable { QString::fromUtf8(texts::screenAwakeUnavailable) };
    QTRY_COMPARE(traced, release.isEmpty() ? unavailable : QStringList());
    inhibitor.setInhibited(false);
    if (!release.isEmpty())
        asked << release;
    QTRY_COMPARE(calls, asked);
    if (ways.refusesRelease)
        QTRY_COMPARE(traced, QStringList { QString::fromUtf8(texts::screenAwakeNotReleased) });
    QCOMPARE(traced.size(), release.isEmpty() || ways.refusesRelease ? 1 : 0);
}

// A screen saver that restarts forgets what it held. While it is gone nothing keeps the screen
// awake, which the trace says; once it is back the program asks it again, and lets go of it when
// the timer stops.
void TestScreenSaverInhibitor::asksAgainWhenTheServiceComesBack()
{
    QStringList traced;
    ScreenSaverInhibitor inhibitor(
        [&traced](const std::string& text) { traced << QString::fromStdString(text); });
    const QString inhibit = QStringLiteral("Inhibit /org/freedesktop/ScreenSaver");
    {
        const StandIns first(Ways { Answer::Grants });
        inhibitor.setInhibited(true);
        QTRY_COMPARE(calls, QStringList { inhibit });
    }
    QTRY_COMPARE(traced, QStringList { QString::fromUtf8(texts::screenAwakeUnavailable) });
    const StandIns second(Ways { Answer::Grants });
    QTRY_COMPARE(calls, (QStringList { inhibit, inhibit }));
    inhibitor.setInhibited(false);
    QTRY_COMPARE(calls, (QStringList { inhibit, inhibit, "UnInhibit 7" }));
    QCOMPARE(traced.size(), 1);
}

QTEST_GUILESS_MAIN(TestScreenSaverInhibitor)
#include "tst_screensaverinhibitor.moc"
