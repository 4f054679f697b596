#include "e2e/xserver.h"

#include <csignal>
#include <optional>
#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include "support/endprocess.h"

namespace zelvano {

namespace {
    constexpr int pollMs = 50;
}

XServer::XServer(Desktop desktop, Screens screens)
    : m_server(std::make_unique<QProcess>())
{
    // Xvfb writes warnings for every keymap it compiles; a pipe nobody drains would fill up and
    // stall the server, so they go to a file.
    m_server->setStandardErrorFile(m_logDir.filePath(QStringLiteral("xvfb.log")));
    // A test that crashes or is stopped by its watchdog takes its X server with it.
    m_server->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    // -displayfd makes Xvfb pick a free display and print its number once it accepts clients;
    // -noreset keeps it from resetting whenever its last client (often xdotool) leaves: a
    // program connecting during such a reset is turned away.
    const int screenCount = screens == Screens::TwoSideBySide ? 2 : 1;
    m_server->start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
            QStringLiteral("0"),
            QStringLiteral("%1x%2x24")
                .arg(screenSize.width() * screenCount)
                .arg(screenSize.height()),
            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset") });
    if (!m_server->waitForStarted(5000)) {
        m_error = QStringLiteral("Xvfb cannot be started: %1").arg(m_server->errorString());
        return;
    }
    QDeadlineTimer deadline(10000);
    while (!m_server->canReadLine() && m_server->state() == QProcess::Running
        && !deadline.hasExpired())
        m_server->waitForReadyRead(pollMs);
    const QString number = QString::fromLatin1(m_server->readLine()).trimmed();
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb did not report a display: %1").arg(lastWords());
        return;
    }
    m_display = QLatin1Char(':') + number;
    if (screens == Screens::TwoSideBySide && !splitIntoTwoScreens()) {
        m_error = QStringLiteral("the screen could not be split into two monitors");
        return;
    }
    if (desktop == Desktop::WithWindowManager && !startWindowManager())
        m_error = QStringLiteral("the window manager did not come up");
}

XServer::~XServer()
{
    if (m_windowManager)
        endProcess(*m_windowManager);
    endProcess(*m_server);
}

// Openbox frames windows with a title bar and tells clients how large the frame is, as the
// window managers of Linux desktops do.
bool XServer::startWindowManager()
{
    m_windowManager = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addTo(environment);
    m_windowManager->setProcessEnvironment(environment);
    m_windowManager->setStandardErrorFile(m_logDir.filePath(QStringLiteral("openbox.log")));
    m_windowManager->start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    if (!m_windowManager->waitForStarted(5000))
        return false;
    // A window manager announces itself on the root window once it manages the screen.
    QDeadlineTimer deadline(10000);
    do {
        const std::optional<QString> check = run(QStringLiteral("xprop"),
            { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") });
        if (check && check->contains(QStringLiteral("window id")))
            return true;
        QThread::msleep(pollMs);
    } while (!deadline.hasExpired());
    return false;
}

// Xvfb's own screens do not make a desktop of two monitors: with Xinerama it reports every screen
// at the origin. One wide screen split into two RandR monitors does, and programs see two screens.
bool XServer::splitIntoTwoScreens()
{
    return setMonitor(leftScreen, 0, QStringLiteral("screen"))
        && addMonitor(rightScreen, screenSize.width());
}

// The first monitor shows Xvfb's one output; the others show none.
bool XServer::setMonitor(const QString& name, int left, const QString& output) const
{
    const QString size = QStringLiteral("%1/339x%2/271+%3+0")
                             .arg(screenSize.width())
                             .arg(screenSize.height())
                             .arg(left);
    return run(QStringLiteral("xrandr"), { QStringLiteral("--setmonitor"), name, size, output })
        .has_value();
}

bool XServer::addMonitor(const QString& name, int left) const
{
    return setMonitor(name, left, QStringLiteral("none"));
}

bool XServer::removeMonitor(const QString& name) const
{
    return run(QStringLiteral("xrandr"), { QStringLiteral("--delmonitor"), name }).has_value();
}

void XServer::addTo(QProcessEnvironment& environment) const
{
    environment.insert(QStringLiteral("DISPLAY"), m_display);
}

std::optional<QString> XServer::xdotool(const QStringList& arguments, int timeoutMs) const
{
    return run(QStringLiteral("xdotool"), arguments, timeoutMs);
}

std::optional<QString> XServer::run(
    const QString& program, const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addTo(environment);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QStringList XServer::windowsTitled(const QString& title) const
{
    // The search is a case-insensitive regular expression and also finds hidden windows named
    // after the program, so every candidate's title is compared exactly.
    const std::optional<QString> found = xdotool(
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            QStringLiteral("^%1$").arg(QRegularExpression::escape(title)) });
    QStringList exact;
    if (!found)
        return exact;
    for (const QString& window : found->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (xdotool({ QStringLiteral("getwindowname"), window }) == title)
            exact << window;
    }
    return exact;
}

QString XServer::lastWords() const
{
    QFile log(m_logDir.filePath(QStringLiteral("xvfb.log")));
    return log.open(QIODevice::ReadOnly)
        ? QString::fromLocal8Bit(log.readAll()).trimmed().right(400)
        : QString();
}

QString XServer::describeState() const
{
    return QStringLiteral("Xvfb on %1 is %2; it said: %3")
        .arg(m_display,
            m_server->state() == QProcess::Running ? QStringLiteral("running")
                                                   : QStringLiteral("gone"),
            lastWords());
}

QStringList XServer::visibleWindowTitles() const
{
    QStringList titles;
    const std::optional<QString> found = xdotool({ QStringLiteral("search"),
        QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QStringLiteral(".*") });
    for (const QString& window :
        found.value_or(QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        titles
            << xdotool({ QStringLiteral("getwindowname"), window }).value_or(QStringLiteral("?"));
    return titles;
}

std::optional<QString> XServer::waitForWindow(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        const QStringList windows = windowsTitled(title);
        if (windows.size() == 1)
            return windows.constFirst();
        QThread::msleep(pollMs);
    } while (!deadline.hasExpired());
    return std::nullopt;
}

bool XServer::waitForNoWindow(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        if (windowsTitled(title).isEmpty())
            return true;
        QThread::msleep(pollMs);
    } while (!deadline.hasExpired());
    return false;
}

// xwininfo rather than xdotool, which counts a window manager's frame offset twice.
std::optional<QRect> XServer::geometry(const QString& window) const
{
    const std::optional<QString> info
        = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), window });
    if (!info)
        return std::nullopt;
    const auto value = [&info](const char* name) {
        const QRegularExpression line(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)));
        return line.match(*info).captured(1).toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
        value("Height"));
}

std::optional<QRect> XServer::frameGeometry(const QString& window) const
{
    const std::optional<QRect> client = geometry(window);
    const std::optional<QString> extents = run(QStringLiteral("xprop"),
        { QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS") });
    if (!client || !extents)
        return std::nullopt;
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"; absent without a frame.
    static const QRegularExpression numbers(QStringLiteral(R"(= (\d+), (\d+), (\d+), (\d+))"));
    const QRegularExpressionMatch match = numbers.match(*extents);
    if (!match.hasMatch())
        return client;
    return client->adjusted(-match.captured(1).toInt(), -match.captured(3).toInt(),
        match.captured(2).toInt(), match.captured(4).toInt());
}

QStringList XServer::netWmState(const QString& window) const
{
    // "_NET_WM_STATE(ATOM) = _NET_WM_STATE_MODAL, _NET_WM_STATE_ABOVE"; no "=" without states.
    const QString line = run(
        QStringLiteral("xprop"), { QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE") })
                             .value_or(QString());
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {};
    QStringList states = line.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& state : states)
        state = state.trimmed();
    return states;
}

QStringList XServer::windowsOfClass(const QString& windowClass) const
{
    return xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--class"), windowClass })
        .value_or(QString())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool XServer::moveWindow(const QString& window, QPoint topLeft) const
{
    return xdotool({ QStringLiteral("windowmove"), QStringLiteral("--sync"), window,
                       QString::number(topLeft.x()), QString::number(topLeft.y()) })
        .has_value();
}

bool XServer::keys(const QString& window, const QStringList& keyNames) const
{
    // Without a window manager, windowactivate fails; focusing the window directly works.
    const QStringList arguments { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
        QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60") };
    return xdotool(arguments + keyNames).has_value();
}

bool XServer::type(const QString& window, const QString& text) const
{
    return xdotool(
        { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("type"),
            QStringLiteral("--delay"), QStringLiteral("30"), text })
        .has_value();
}

bool XServer::click(QPoint screenPoint, int button) const
{
    return xdotool(
        { QStringLiteral("mousemove"), QString::number(screenPoint.x()),
            QString::number(screenPoint.y()), QStringLiteral("click"), QString::number(button) })
        .has_value();
}

bool XServer::screenshot(const QString& pngPath) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addTo(environment);
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), pngPath });
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

bool XServer::exposeAll() const
{
    return run(QStringLiteral("xrefresh"), { QStringLiteral("-white") }).has_value();
}

std::optional<int> XServer::childWindowCount(const QString& window) const
{
    // "  27 children:" or "  0 children." among xwininfo's lines.
    const std::optional<QString> tree = run(
        QStringLiteral("xwininfo"), { QStringLiteral("-children"), QStringLiteral("-id"), window });
    static const QRegularExpression count(
        QStringLiteral(R"(^\s*(\d+) child(ren)?[.:])"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = count.match(tree.value_or(QString()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

bool XServer::closeWithEnter(const QString& title) const
{
    const std::optional<QString> box = waitForWindow(title);
    if (!box)
        return false;
    // The box may still be taking the focus: press Enter until it is gone.
    for (int attempt = 0; attempt < 3; ++attempt) {
        keys(*box, { QStringLiteral("Return") });
        if (waitForNoWindow(title, 1500))
            return true;
    }
    return false;
}

} // namespace zelvano
