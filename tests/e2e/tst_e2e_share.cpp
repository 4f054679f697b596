// The speaker's view on a phone: the real program under Xvfb shares it through its menu, and
// Chromium, headless in a network namespace of the test's own (a veth pair: the phone on the same
// network as the laptop), opens the address read from the QR code. Hostile clients run against it
// from this machine, to the pair's address only.

#include <csignal>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "core/texts.h"
#include "e2e/phonepage.h"
#include "e2e/runningprogram.h"
#include "e2e/userview.h"
#include "e2e/xserver.h"
#include "support/runcommand.h"

using namespace zelvano;

namespace {

const QString sharingTitle = QString::fromUtf8(texts::shareWindowCaption);

// A network namespace joined to this machine by a veth pair, each end with an address of a
// subnet of its own: the phone's network. Made and removed by the test; needs the right to.
class PhoneNetwork final
{
public:
    PhoneNetwork()
    {
        const auto pid = static_cast<unsigned>(::getpid());
        const QString id = QString::number(pid);
        m_name = QStringLiteral("zlvphone") + id;
        m_hostAdapter = QStringLiteral("zlvh") + id;
        const QString phoneAdapter = QStringLiteral("zlvp") + id;
        const QString subnet = QStringLiteral("10.%1.%2.").arg((pid >> 8) % 250 + 1).arg(pid % 250);
        m_hostAddress = subnet + QStringLiteral("1");
        const auto ip = [](const QStringList& arguments) {
            return runCommand(QStringLiteral("ip"), arguments);
        };
        m_ready = ip({ "netns", "add", m_name })
            && ip({ "link", "add", m_hostAdapter, "type", "veth", "peer", "name", phoneAdapter,
                "netns", m_name })
            && ip({ "addr", "add", m_hostAddress + "/30", "dev", m_hostAdapter })
            && ip({ "link", "set", m_hostAdapter, "up" })
            && ip({ "-n", m_name, "addr", "add", subnet + "2/30", "dev", phoneAdapter })
            && ip({ "-n", m_name, "link", "set", phoneAdapter, "up" })
            && ip({ "-n", m_name, "link", "set", "lo", "up" });
    }
    ~PhoneNetwork()
    {
        runCommand(QStringLiteral("ip"), { "link", "del", m_hostAdapter });
        runCommand(QStringLiteral("ip"), { "netns", "del", m_name });
    }

    bool isReady() const { return m_ready; }
    // Takes the laptop's end of the pair down or up again, as when the Wi-Fi drops and returns.
    bool setLink(bool up) const
    {
        return runCommand(
            QStringLiteral("ip"), { "link", "set", m_hostAdapter, up ? "up" : "down" });
    }
    const QString& hostAdapter() const { return m_hostAdapter; }
    const QString& hostAddress() const { return m_hostAddress; }
    // A command line that runs a program inside the namespace.
    QStringList inside() const { return { "ip", "netns", "exec", m_name }; }

private:
    QString m_name, m_hostAdapter, m_hostAddress;
    bool m_ready = false;
};

} // namespace

class TestSharing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void phoneFollowsTheTalkAndSeesTheProgramGo();
    void hostileClientsLeaveTheTalkAndThePageAlone();

private:
    // Starts the program and shares the view on the phone's network through the menu and the
    // sharing window, as a user would: the address copied from its field, checked against its
    // QR code. The page's address, or nothing.
    std::optional<QString> shareWithThePhone();
    QString display() const
    {
        QProcessEnvironment environment;
        m_x->addTo(environment);
        return environment.value(QStringLiteral("DISPLAY"));
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<XServer> m_x;
    std::unique_ptr<PhoneNetwork> m_network;
    std::unique_ptr<RunningProgram> m_program;
};

void TestSharing::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char* folder : { "work", "home", "profile" })
        QVERIFY(QDir(m_root->path()).mkdir(QString::fromLatin1(folder)));
    m_network = std::make_unique<PhoneNetwork>();
    if (!m_network->isReady())
        QSKIP("no right to make a network namespace: the phone's network cannot be made");
    m_x = std::make_unique<XServer>();
    if (!m_x->isReady())
        QSKIP(qPrintable(QStringLiteral("no X server: ") + m_x->errorString()));
}

void TestSharing::cleanup()
{
    if (QTest::currentTestFailed() && m_x && m_x->isReady()) {
        const QDir artifacts(QStringLiteral(ZELVANO_E2E_ARTIFACTS));
        artifacts.mkpath(QStringLiteral("."));
        const QString path = artifacts.filePath(
            QString::fromLatin1(QTest::currentTestFunction()) + QStringLiteral(".png"));
        if (m_x->screenshot(path))
            qInfo("screenshot kept in %s", qPrintable(path));
    }
    m_program.reset();
    m_x.reset();
    m_network.reset();
    m_root.reset();
}

std::optional<QString> TestSharing::shareWithThePhone()
{
    // The first bell after a minute, so that a test sees one.
    if (!writeFile(m_root->filePath("work/config.ini"), settingsBytes({ 1, 13, 15, 1, 2, 3 })))
        return std::nullopt;
    m_program = std::make_unique<RunningProgram>(*m_x, nullptr, QStringLiteral(ZELVANO_PROGRAM),
        m_root->filePath("work"), m_root->filePath("home"));
    if (!m_program->start() || !m_program->chooseMenuItem("p", [this] {
            return m_x->windowsTitled(sharingTitle).size() == 1;
        }))
        return std::nullopt;
    const QString window = m_x->windowsTitled(sharingTitle).first();
    // The phone's network is a virtual adapter's, offered after the machine's own: picked by its
    // name in the list, then the address copied from its field.
    QByteArray url;
    if (!m_x->keys(window, { "Tab" }) || !m_x->type(window, m_network->hostAdapter())
        || !m_x->keys(window, { "shift+Tab", "ctrl+a", "ctrl+c" }) || !eventually([&] {
               return runCommand(
                          "xclip", { "-o", "-selection", "clipboard", "-display", display() }, &url)
                   && url.contains(m_network->hostAddress().toLatin1());
           })) {
        qWarning("the address copied: %s", url.constData());
        return std::nullopt;
    }
    const QString screenshot = m_root->filePath("sharing.png");
    QByteArray decoded;
    if (!m_x->screenshot(screenshot)
        || !runCommand("zbarimg", { "--quiet", "--raw", screenshot }, &decoded) || decoded != url) {
        qWarning("the QR code says %s, the field %s", decoded.constData(), url.constData());
        return std::nullopt;
    }
    // Closed, the window leaves sharing on.
    if (!m_x->keys(window, { "Escape" }) || !m_x->waitForNoWindow(sharingTitle))
        return std::nullopt;
    return QString::fromLatin1(url);
}

namespace {

// The seconds a figure of the page shows ("12:06"), or -1.
int figureSeconds(const QJsonObject& shown)
{
    const auto match
        = QRegularExpression(QStringLiteral("^(\\d+):(\\d\\d)$")).match(shown["figure"].toString());
    return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

// The main window's title while one device watches.
QString watchedByOne()
{
    return QString::fromUtf8(texts::windowCaption) + QStringLiteral("  ")
        + QString::fromUtf8(texts::shareIndicatorFormat).replace("%d", "1");
}

bool live(const QJsonObject& shown)
{
    return !shown["figure"].toString().isEmpty() && !shown["lost"].toBool();
}

} // namespace

// With the sharing window closed, the page shows what the speaker's view shows, follows Start, the
// first bell and Stop at once, swaps elapsed and remaining at a tap, stays live while the timer
// stands still, greys the time and says the connection is lost while the network is down or once
// the program is gone, and finds the program again by itself when the network returns.
void TestSharing::phoneFollowsTheTalkAndSeesTheProgramGo()
{
    const std::optional<QString> url = shareWithThePhone();
    QVERIFY(url);
    PhonePage phone(m_network->inside(), *url, m_root->filePath("profile"));
    const QJsonObject before
        = phone.waitFor([](const QJsonObject& shown) { return live(shown); }, 30000);
    QVERIFY2(live(before), qPrintable(phone.describe()));
    QCOMPARE(before["figure"].toString(), "0:00");
    QCOMPARE(before["caption"].toString(), "○○○  1回目のベルまで 1:00");
    QCOMPARE(before["colour"].toString(), "rgb(242, 242, 242)");
    QVERIFY(eventually([&] { return m_x->windowsTitled(watchedByOne()).size() == 1; }));

    QVERIFY(m_program->clickControl(ControlId::Start));
    QCOMPARE(phone.waitForFigure("0:02")["caption"].toString(), "○○○  1回目のベルまで 0:58");
    phone.tap();
    const QJsonObject swapped = phone.waitFor(
        [](const QJsonObject& shown) { return shown["figure"].toString().startsWith("0:5"); },
        3000);
    QVERIFY2(swapped["caption"].toString().contains("(経過 0:0"), qPrintable(phone.describe()));
    phone.tap();
    const QJsonObject bell = phone.waitForFigure("1:00", 65000);
    QCOMPARE(bell["caption"].toString(), "●○○  2回目のベルまで 12:00");
    QCOMPARE(bell["colour"].toString(), "rgb(75, 253, 158)");
    QVERIFY(m_program->clickControl(ControlId::Stop));
    const int stoppedAt
        = figureSeconds(phone.waitFor([](const QJsonObject&) { return false; }, 1200));
    QVERIFY(stoppedAt >= 2);
    const QJsonObject standing = phone.waitFor([](const QJsonObject&) { return false; }, 3000);
    QVERIFY2(live(standing) && figureSeconds(standing) == stoppedAt, qPrintable(phone.describe()));

    // The network drops: the page says so; it comes back: the page finds the program by itself.
    QVERIFY(m_network->setLink(false));
    const auto isLost = [](const QJsonObject& shown) { return shown["lost"].toBool(); };
    QVERIFY2(isLost(phone.waitFor(isLost, 5000)), qPrintable(phone.describe()));
    QVERIFY(m_network->setLink(true));
    QVERIFY2(live(phone.waitFor(live, 10000)), qPrintable(phone.describe()));

    QCOMPARE(::kill(static_cast<pid_t>(m_program->processId()), SIGKILL), 0);
    const QJsonObject lost = phone.waitFor(isLost, 5000);
    QVERIFY2(lost["lost"].toBool() && lost["faded"].toBool(), qPrintable(phone.describe()));
    QCOMPARE(lost["lostText"].toString(), QString::fromUtf8(texts::shareConnectionLost));
    QCOMPARE(figureSeconds(lost), stoppedAt);
}

// Clients that ask for the wrong thing, too much or too slowly, crowd in or stop reading get
// nothing but a refusal, and meanwhile the timer runs on and the phone's page keeps its time.
void TestSharing::hostileClientsLeaveTheTalkAndThePageAlone()
{
    const std::optional<QString> url = shareWithThePhone();
    QVERIFY(url);
    const auto address
        = QRegularExpression(QStringLiteral("^http://([0-9.]+):(\\d+)/(\\w+)/$")).match(*url);
    QVERIFY(address.hasMatch());
    PhonePage phone(m_network->inside(), *url, m_root->filePath("profile"));
    QVERIFY2(live(phone.waitFor([](const QJsonObject& shown) { return live(shown); }, 30000)),
        qPrintable(phone.describe()));
    QVERIFY(m_program->clickControl(ControlId::Start));
    QElapsedTimer talk;
    talk.start();

    QProcess clients;
    clients.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral(ZELVANO_HOSTILE_CLIENTS), address.captured(1), address.captured(2),
            address.captured(3) });
    QVERIFY(clients.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(clients.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        QStringList({ "wrongToken refused", "noToken refused", "otherMethod refused",
            "foreignHost refused", "hugeHeader closed", "trickle dropped", "crowd served",
            "devices 16 HTTP/1.1 503 Service Unavailable", "nonReader held" }));

    const int talkSeconds = static_cast<int>(talk.elapsed() / 1000);
    const QJsonObject after = phone.waitFor(
        [&](const QJsonObject& shown) { return live(shown) && figureSeconds(shown) > talkSeconds; },
        3000);
    QVERIFY2(live(after) && figureSeconds(after) <= talkSeconds + 2, qPrintable(phone.describe()));
    // Every other device has been let go: the real one alone is counted.
    QVERIFY(eventually([&] { return m_x->windowsTitled(watchedByOne()).size() == 1; }));
}

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_e2e_share.moc"
