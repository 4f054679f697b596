#include "support/pulsesink.h"

#include <csignal>
#include <sys/prctl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtEndian>

#include "support/endprocess.h"

namespace zelvano {

namespace {

    const QString sinkName = QStringLiteral("zelvano_test");

    QStringList rawFormat()
    {
        return { QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
            QStringLiteral("--channels=1"), QStringLiteral("--rate=%1").arg(PulseSink::sampleRate),
            QStringLiteral("--latency-msec=20") };
    }

    QString lastLine(const QByteArray& output)
    {
        const QList<QByteArray> lines = output.trimmed().split('\n');
        return QString::fromLocal8Bit(lines.last()).trimmed();
    }

    void endChild(std::unique_ptr<QProcess>& process)
    {
        if (process)
            endProcess(*process);
        process.reset();
    }

} // namespace

PulseSink::PulseSink()
{
    if (!m_dir.isValid()) {
        fail(QStringLiteral("cannot create a temporary folder: %1").arg(m_dir.errorString()));
        return;
    }
    if (!QDir(m_dir.path()).mkdir(QStringLiteral("run"))
        || !QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        fail(QStringLiteral("cannot create the server's runtime folder"));
        return;
    }
    if (startServer())
        startKeepAlive();
}

bool PulseSink::startKeepAlive()
{
    // A silent low-latency stream keeps the sink awake and its latency low, so a sound is heard
    // a few tens of milliseconds after it starts, the first one included.
    m_keepAlive = startChild(QStringLiteral("pacat"),
        QStringList { QStringLiteral("--playback"), QStringLiteral("--device=") + sinkName }
            + rawFormat(),
        [](QProcess& process) { process.setStandardInputFile(QStringLiteral("/dev/zero")); });
    return m_keepAlive != nullptr;
}

void PulseSink::killServer()
{
    endChild(m_recorder);
    endChild(m_keepAlive);
    if (m_server) {
        m_server->kill();
        m_server->waitForFinished(3000);
    }
    m_server.reset();
    QFile::remove(m_dir.filePath(QStringLiteral("run/native")));
}

bool PulseSink::restartServer()
{
    killServer();
    m_error.clear();
    return startServer() && startKeepAlive();
}

PulseSink::~PulseSink()
{
    endChild(m_recorder);
    endChild(m_keepAlive);
    endChild(m_server);
}

QByteArray PulseSink::serverAddress() const
{
    return "unix:" + QFile::encodeName(m_dir.filePath(QStringLiteral("run/native")));
}

void PulseSink::addTo(QProcessEnvironment& environment) const
{
    environment.insert(QStringLiteral("PULSE_SERVER"), QString::fromLocal8Bit(serverAddress()));
}

bool PulseSink::startRecording()
{
    if (!isReady())
        return false;
    endChild(m_recorder);
    QFile::remove(recordingPath());
    // A pipe would stall the recorder while the test's thread sleeps, so samples go to a file.
    m_recorder = startChild(QStringLiteral("parec"),
        QStringList { QStringLiteral("--device=") + sinkName + QStringLiteral(".monitor") }
            + rawFormat(),
        [this](QProcess& process) { process.setStandardOutputFile(recordingPath()); });
    if (!m_recorder)
        return false;
    for (int waited = 0; waited < 5000; waited += 10) {
        if (QFileInfo(recordingPath()).size() > 0)
            return true;
        if (m_recorder->state() == QProcess::NotRunning)
            break;
        QThread::msleep(10);
    }
    fail(QStringLiteral("parec recorded nothing: %1")
             .arg(lastLine(m_recorder->readAllStandardError())));
    return false;
}

std::vector<qint16> PulseSink::stopRecording()
{
    endChild(m_recorder);
    QFile file(recordingPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<qint16> samples(static_cast<std::size_t>(bytes.size() / 2));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    file.remove();
    return samples;
}

bool PulseSink::startServer()
{
    const QString socket = m_dir.filePath(QStringLiteral("run/native"));
    // -n skips the system's default module list, which would look for sound cards; the server
    // stays in the foreground so that its process id is the one this class holds.
    m_server = startChild(QStringLiteral("pulseaudio"),
        { QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
            QStringLiteral("-n"), QStringLiteral("--use-pid-file=no"),
            QStringLiteral("--realtime=no"), QStringLiteral("--high-priority=no"),
            QStringLiteral("--log-target=stderr"), QStringLiteral("--log-level=error"),
            QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket,
            QStringLiteral("--load=module-null-sink sink_name=%1 rate=%2")
                .arg(sinkName)
                .arg(sampleRate) },
        [this](QProcess& process) { process.setStandardErrorFile(serverLogPath()); });
    if (!m_server || !waitForServer())
        return false;
    const QString error = runPactl({ QStringLiteral("set-default-sink"), sinkName });
    if (!error.isEmpty())
        fail(error);
    return error.isEmpty();
}

bool PulseSink::waitForServer()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (m_server->state() == QProcess::NotRunning) {
            QFile log(serverLogPath());
            log.open(QIODevice::ReadOnly);
            fail(QStringLiteral("pulseaudio exited: %1").arg(lastLine(log.readAll())));
            return false;
        }
        if (QFileInfo::exists(m_dir.filePath(QStringLiteral("run/native")))
            && runPactl({ QStringLiteral("info") }).isEmpty())
            return true;
        QThread::msleep(50);
    }
    fail(QStringLiteral("pulseaudio did not answer within 5 seconds"));
    return false;
}

QString PulseSink::runPactl(const QStringList& arguments)
{
    std::unique_ptr<QProcess> pactl = startChild(QStringLiteral("pactl"), arguments);
    if (!pactl)
        return m_error;
    const QString command = QStringLiteral("pactl ") + arguments.join(u' ');
    if (!pactl->waitForFinished(3000)) {
        endChild(pactl);
        return command + QStringLiteral(" did not finish");
    }
    if (pactl->exitStatus() != QProcess::NormalExit || pactl->exitCode() != 0)
        return command + QStringLiteral(" failed: ") + lastLine(pactl->readAllStandardError());
    return {};
}

std::unique_ptr<QProcess> PulseSink::startChild(const QString& program,
    const QStringList& arguments, const std::function<void(QProcess&)>& setUp)
{
    // The server's state, configuration and socket all live in the temporary folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.filePath(QStringLiteral("run")));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    addTo(environment);

    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    if (setUp)
        setUp(*process);
    process->start(program, arguments);
    if (!process->waitForStarted(5000)) {
        fail(QStringLiteral("cannot start %1: %2").arg(program, process->errorString()));
        return nullptr;
    }
    return process;
}

void PulseSink::fail(const QString& reason)
{
    if (m_error.isEmpty())
        m_error = reason;
}

QString PulseSink::recordingPath() const { return m_dir.filePath(QStringLiteral("recording.raw")); }

QString PulseSink::serverLogPath() const
{
    return m_dir.filePath(QStringLiteral("pulseaudio.log"));
}

} // namespace zelvano
