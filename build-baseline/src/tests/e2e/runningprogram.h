#pragma once

#include <optional>

#include <QProcess>
#include <QString>

#include "e2e/xserver.h"

namespace zelvano {

class PulseSink;

// The real program, started as a separate process in a working folder of the test's choosing,
// on a private X server and, when given, a private sound server. Its home folder is a throwaway
// one too, since Qt keeps the file chooser's history there.
class RunningProgram final
{
public:
    RunningProgram(const XServer& x, const PulseSink* sound, const QString& workingFolder,
        const QString& homeFolder);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts the program and waits for its main window; false when it did not appear.
    bool start();
    const QString& window() const { return m_window; }

    // Clicks the centre of a control of the main window, found from its dialog-unit rectangle
    // scaled to the window's real size.
    bool clickControl(int id) const;
    // Right-clicks the window's background.
    bool rightClickBackground() const;
    // Presses keys in the main window.
    bool keys(const QStringList& keyNames) const;
    // Clicks a field of the main window, replaces its text with text.
    bool replaceFieldText(int id, const QString& text) const;

    // Waits for the process to end; its exit code, or nothing when it did not end or crashed.
    std::optional<int> waitForExit(int timeoutMs = 10000);
    // Whether it still runs, and what it said: for failure messages.
    QString describeState();

private:
    QString standardError();
    std::optional<QPoint> controlCentre(int id) const;

    const XServer& m_x;
    QProcess m_process;
    QString m_window;
    QByteArray m_standardError;
};

} // namespace zelvano
