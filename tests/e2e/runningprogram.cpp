#include "e2e/runningprogram.h"

#include <csignal>
#include <sys/prctl.h>

#include <QDir>
#include <QThread>

#include "core/windowlayout.h"
#include "support/endprocess.h"
#include "support/pulsesink.h"

namespace zelvano {

RunningProgram::RunningProgram(const XServer& x, const PulseSink* sound, const QString& program,
    const QString& workingFolder, const QString& homeFolder, const QStringList& wrapper)
    : m_x(x)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    x.addTo(environment);
    if (sound)
        sound->addTo(environment);
    else
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), homeFolder);
    // A sanitizer build reports what system libraries keep until exit; those are not ours.
    environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral(ZELVANO_LSAN_OPTIONS));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(workingFolder);
    // A test that crashes or is stopped by its watchdog takes the program with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    if (wrapper.isEmpty()) {
        m_process.setProgram(program);
    } else {
        m_process.setProgram(wrapper.first());
        m_process.setArguments(wrapper.mid(1) << program);
    }
}

RunningProgram::~RunningProgram() { endProcess(m_process); }

bool RunningProgram::start()
{
    m_process.start();
    return m_process.waitForStarted(5000) && findWindowAgain();
}

bool RunningProgram::findWindowAgain()
{
    const std::optional<QString> window = m_x.waitForWindow(QStringLiteral("Zelvano"), 15000);
    if (window)
        m_window = *window;
    return window.has_value();
}

std::optional<QRect> RunningProgram::controlRect(ControlId id) const
{
    const std::optional<QRect> client = m_x.geometry(m_window);
    if (!client)
        return std::nullopt;
    for (const ControlTemplate& control : mainWindowTemplate.controls) {
        if (control.id != id)
            continue;
        const auto x = [&client](int units) {
            return qRound(double(units) * client->width() / mainWindowTemplate.width);
        };
        const auto y = [&client](int units) {
            return qRound(double(units) * client->height() / mainWindowTemplate.height);
        };
        return QRect(client->topLeft() + QPoint(x(control.units.x), y(control.units.y)),
            QSize(x(control.units.width), y(control.units.height)));
    }
    return std::nullopt;
}

bool RunningProgram::clickControl(ControlId id) const
{
    const std::optional<QRect> rect = controlRect(id);
    return rect && m_x.click(rect->center());
}

bool RunningProgram::clickControlRepeatedly(ControlId id, int times) const
{
    const std::optional<QRect> rect = controlRect(id);
    return rect
        && m_x.xdotool({ QStringLiteral("mousemove"), QString::number(rect->center().x()),
                           QString::number(rect->center().y()), QStringLiteral("click"),
                           QStringLiteral("--repeat"), QString::number(times),
                           QStringLiteral("--delay"), QStringLiteral("1"), QStringLiteral("1") },
            times * 20 + 5000);
}

bool RunningProgram::rightClickBackground() const
{
    const std::optional<QRect> frame = m_x.geometry(m_window);
    // Between the bell group and the Close button nothing but the window itself is hit.
    return frame
        && m_x.click(frame->topLeft() + QPoint(frame->width() / 2, frame->height() - 6), 3);
}

bool RunningProgram::keys(const QStringList& keyNames) const
{
    return m_x.keys(m_window, keyNames);
}

bool RunningProgram::replaceFieldText(ControlId id, const QString& text) const
{
    // End, then Shift+Home selects the whole line in every toolkit's field; Ctrl+A does not.
    return clickControl(id)
        && m_x.keys(m_window,
            { QStringLiteral("End"), QStringLiteral("shift+Home"), QStringLiteral("BackSpace") })
        && (text.isEmpty() || m_x.type(m_window, text));
}

bool RunningProgram::chooseMenuItem(const QString& key, const std::function<bool()>& done) const
{
    const qsizetype windows = m_x.windowsOfClass(QStringLiteral("zelvano")).size();
    if (!keys({ QStringLiteral("shift+F10") }) || !eventually([&] {
            return m_x.windowsOfClass(QStringLiteral("zelvano")).size() > windows;
        }))
        return false;
    // The menu takes the keyboard only once it is on the screen: a key that comes too early goes
    // to the main window, which ignores it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_x.xdotool({ QStringLiteral("key"), key });
        if (eventually(done, 1500))
            return true;
    }
    return false;
}

bool RunningProgram::chooseSaveFile(
    const QString& path, const std::function<void()>& beforeAccepting) const
{
    if (!clickControl(ControlId::Save))
        return false;
    const std::optional<QString> chooser = m_x.waitForWindow(saveChooserTitle);
    if (!chooser) {
        qWarning("no file chooser titled %s appeared", qPrintable(saveChooserTitle));
        return false;
    }
    m_x.keys(*chooser, { QStringLiteral("ctrl+a") });
    m_x.type(*chooser, path);
    if (beforeAccepting)
        beforeAccepting();
    // The first Return may only close the completer's popup.
    for (int attempt = 0; attempt < 3 && !m_x.windowsTitled(saveChooserTitle).isEmpty();
         ++attempt) {
        m_x.keys(*chooser, { QStringLiteral("Return") });
        m_x.waitForNoWindow(saveChooserTitle, 1500);
    }
    return m_x.windowsTitled(saveChooserTitle).isEmpty();
}

std::optional<std::vector<Lap>> RunningProgram::saveReport(
    const QString& path, QDateTime* savedAt) const
{
    if (savedAt)
        *savedAt = QDateTime::currentDateTime();
    if (!chooseSaveFile(path))
        return std::nullopt;
    // A short report reaches the file in one write, which ends with a line end.
    if (!eventually([&path] { return readFile(path).endsWith("\r\n"); }))
        qWarning("no report was written to %s", qPrintable(path));
    return readReport(path, savedAt);
}

std::optional<int> RunningProgram::waitForExit(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}

QString RunningProgram::standardError()
{
    m_process.waitForReadyRead(100);
    m_standardError += m_process.readAllStandardError();
    return QString::fromUtf8(m_standardError);
}

QString RunningProgram::describeState()
{
    const QString errors = standardError();
    if (m_process.state() == QProcess::NotRunning)
        return QStringLiteral("the program ended with %1; it said: %2")
            .arg(m_process.exitCode())
            .arg(errors);
    return QStringLiteral("the program is running; it said: %1").arg(errors);
}

} // namespace zelvano
