#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace zelvano {

// A private sound server for one test: a PulseAudio daemon in a fresh temporary folder whose
// only output is a null sink, recorded from its monitor. Tests running side by side each get
// their own server, and nothing reaches real speakers.
//
// Everything started here is ended in the destructor by its own process id; the children are
// also told to die with this process, so a crashed test leaves no daemon behind.
class PulseSink final
{
public:
    static constexpr int sampleRate = 44100; // recordings are signed 16-bit mono at this rate

    PulseSink();
    ~PulseSink();
    PulseSink(const PulseSink&) = delete;
    PulseSink& operator=(const PulseSink&) = delete;

    // False when the server could not be started; errorString() then says why in one line.
    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // The value of PULSE_SERVER that reaches this server.
    QByteArray serverAddress() const;
    // Points a child process at this server.
    void addTo(QProcessEnvironment& environment) const;

    // Kills the server, as a crash would, and later starts a fresh one at the same address.
    void killServer();
    bool restartServer();

    // Starts recording the sink and returns once samples arrive.
    bool startRecording();
    // Stops recording and returns everything recorded since startRecording().
    std::vector<qint16> stopRecording();

private:
    bool startServer();
    bool startKeepAlive();
    bool waitForServer();
    QString runPactl(const QStringList& arguments); // the error, empty on success
    std::unique_ptr<QProcess> startChild(const QString& program, const QStringList& arguments,
        const std::function<void(QProcess&)>& setUp = {});
    void fail(const QString& reason);
    QString recordingPath() const;
    QString serverLogPath() const;

    QTemporaryDir m_dir { QDir::tempPath() + QStringLiteral("/zelvano-pulse-XXXXXX") };
    QString m_error;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_keepAlive;
    std::unique_ptr<QProcess> m_recorder;
};

} // namespace zelvano
