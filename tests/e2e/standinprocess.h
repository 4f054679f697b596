#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zelvano {

class XServer;

// A stand-in for what runs beside the timer during a talk (the slide show, the session's screen
// saver: see standin.cpp), on the test's X server and session bus, noting what reaches it; ended
// with the test.
class StandIn final
{
public:
    StandIn(const XServer& x, const QString& role, const QString& notes);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool started();
    // What it has noted so far, a line each.
    QStringList notes() const;
    // Polls until the notes are exactly these; says what they were when they did not become so.
    bool noted(const QStringList& expected) const;

private:
    QString m_notes;
    QProcess m_process;
};

} // namespace zelvano
