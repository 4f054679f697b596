// Stand-ins for what runs beside the timer during a talk, for the end-to-end scenarios. Each
// appends one line per thing it sees to a file, so a test reads what reached it:
//   zelvano_standin slides FILE       a window titled "Slides" that notes the name of each key
//                                     it receives, as a slide show turns its slides on them
//   zelvano_standin screensaver FILE  the session's screen saver on the session bus: notes
//                                     "ready" once it owns its name, then each Inhibit with its
//                                     application and reason (answered half a second late), each
//                                     UnInhibit, and "released" when a caller holding an
//                                     inhibition leaves the bus

#include <cstdio>
#include <map>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int answerDelayMs = 500;

class Notes
{
public:
    explicit Notes(const QString& path)
        : m_file(path)
    {
        m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    void add(const QString& line)
    {
        m_file.write(line.toUtf8() + '\n');
        m_file.flush();
    }

private:
    QFile m_file;
};

class Slides final : public QWidget
{
public:
    explicit Slides(Notes& notes)
        : m_notes(notes)
    {
        setWindowTitle(QStringLiteral("Slides"));
        resize(400, 300);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        m_notes.add(QKeySequence(event->key()).toString());
    }

private:
    Notes& m_notes;
};

class ScreenSaver final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    explicit ScreenSaver(Notes& notes)
        : m_notes(notes)
        , m_callers(
              QString(), QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForUnregistration)
    {
        connect(
            &m_callers, &QDBusServiceWatcher::serviceUnregistered, this, &ScreenSaver::callerLeft);
    }

public slots:
    // Answered late, as a busy desktop may: the caller goes on meanwhile.
    uint Inhibit(const QString& application, const QString& reason)
    {
        m_notes.add(QStringLiteral("Inhibit\t%1\t%2").arg(application, reason));
        m_holders[++m_lastCookie] = message().service();
        m_callers.addWatchedService(message().service());
        setDelayedReply(true);
        QTimer::singleShot(answerDelayMs, this, [call = message(), cookie = m_lastCookie] {
            QDBusConnection::sessionBus().send(call.createReply(cookie));
        });
        return 0;
    }
    void UnInhibit(uint cookie)
    {
        m_notes.add(m_holders.erase(cookie) ? QStringLiteral("UnInhibit")
                                            : QStringLiteral("UnInhibit of an unknown cookie"));
    }

private:
    void callerLeft(const QString& caller)
    {
        for (auto held = m_holders.begin(); held != m_holders.end();) {
            if (held->second == caller) {
                m_notes.add(QStringLiteral("released"));
                held = m_holders.erase(held);
            } else {
                ++held;
            }
        }
    }

    Notes& m_notes;
    QDBusServiceWatcher m_callers;
    std::map<uint, QString> m_holders;
    uint m_lastCookie = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelvano_standin slides|screensaver FILE\n");
        return 2;
    }
    Notes notes(QString::fromLocal8Bit(argv[2]));
    if (qstrcmp(argv[1], "slides") == 0) {
        QApplication application(argc, argv);
        Slides slides(notes);
        slides.show();
        return QApplication::exec();
    }
    QCoreApplication application(argc, argv);
    ScreenSaver screenSaver(notes);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
            QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")))
        return 1;
    notes.add(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "standin.moc"
