#include "e2e/xserver.h"

#include <csignal>
#include <optional>
#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QThread>

#include "support/endprocess.h"

namespace zelvano {

namespace {
    constexpr int pollMs = 50;
}

XServer::XServer()
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
    m_server->start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
            QStringLiteral("0"),
            QStringLiteral("%1x%2x24").arg(screenSize.width()).arg(screenSize.height()),
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
}

XServer::~XServer() { endProcess(*m_server); }

void XServer::addTo(QProcessEnvironment& environment) const
{
    environment.insert(QStringLiteral("DISPLAY"), m_display);
}

std::optional<QString> XServer::xdotool(const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addTo(environment);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
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

std::optional<QRect> XServer::geometry(const QString& window) const
{
    const std::optional<QString> shell
        = xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window });
    if (!shell)
        return std::nullopt;
    QMap<QString, int> values;
    for (const QString& line : shell->split(QLatin1Char('\n'))) {
        const QStringList pair = line.split(QLatin1Char('='));
        if (pair.size() == 2)
            values[pair[0]] = pair[1].toInt();
    }
    return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
        values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
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

} // namespace zelvano
