#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QProcess>
#include <QString>

#include "core/windowlayout.h"
#include "e2e/userview.h"
#include "e2e/xserver.h"

namespace zelvano {

class PulseSink;

// The real program, started as a separate process in a working folder of the test's choosing,
// on a private X server and, when given, a private sound server; without one it finds no sound
// server at all. Its home folder is a throwaway one too, since Qt keeps the file chooser's history
// there. A wrapper, when given, is a command line that ends by running the program named as its
// last argument (to start it in a namespace of its own, say).
class RunningProgram final
{
public:
    RunningProgram(const XServer& x, const PulseSink* sound, const QString& program,
        const QString& workingFolder, const QString& homeFolder, const QStringList& wrapper = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts the program and waits for its main window; false when it did not appear.
    bool start();
    const QString& window() const { return m_window; }
    // Finds the main window again: Qt gives it a new X window when its flags change.
    bool findWindowAgain();

    // Where a control of the main window is on the screen: its dialog-unit rectangle scaled to
    // the window's real size.
    std::optional<QRect> controlRect(ControlId id) const;
    // Clicks the centre of a control of the main window.
    bool clickControl(ControlId id) const;
    // Clicks it times times in a row, a millisecond apart, as fast as a user never could.
    bool clickControlRepeatedly(ControlId id, int times) const;
    // Right-clicks the window's background.
    bool rightClickBackground() const;
    // Presses keys in the main window.
    bool keys(const QStringList& keyNames) const;
    // Clicks a field of the main window, replaces its text with text.
    bool replaceFieldText(ControlId id, const QString& text) const;
    // Opens the main window's context menu from the keyboard and presses the key of one of its
    // items, until done() says the item did its work.
    bool chooseMenuItem(const QString& key, const std::function<bool()>& done) const;
    // Presses Save and gives the chooser path; beforeAccepting runs just before the chooser's OK.
    // False when no chooser appeared or it did not close.
    bool chooseSaveFile(
        const QString& path, const std::function<void()>& beforeAccepting = {}) const;
    // Save into path through the chooser; the report's laps.
    std::optional<std::vector<Lap>> saveReport(
        const QString& path, QDateTime* savedAt = nullptr) const;

    // Waits for the process to end; its exit code, or nothing when it did not end or crashed.
    std::optional<int> waitForExit(int timeoutMs = 10000);
    // Whether it still runs, and what it said: for failure messages.
    QString describeState();
    // Everything it has written to standard error so far.
    QString standardError();
    qint64 processId() const { return m_process.processId(); }

private:
    const XServer& m_x;
    QProcess m_process;
    QString m_window;
    QByteArray m_standardError;
};

} // namespace zelvano
