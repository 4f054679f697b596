// Stand-ins for what runs beside the timer during a talk, for the end-to-end scenarios. Each
// appends a line to FILE for everything that reaches it:
//   zelvano_standin slides FILE       a window titled "Slides" that notes the keys it receives
//   zelvano_standin screensaver FILE  the session's screen saver on the session bus: notes
//       "ready", then each Inhibit with its application and reason (answered half a second late,
//       as a busy desktop may), each UnInhibit, and "released" when a holder leaves the bus

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

namespace {

QString notesPath;

void note(const QString& line)
{
    QFile notes(notesPath);
    if (notes.open(QIODevice::WriteOnly | QIODevice::Append))
        notes.write(line.toUtf8() + '\n');
}

class Slides final : public QWidget
{
protected:
    void keyPressEvent(QKeyEvent* event) override { note(QKeySequence(event->key()).toString()); }
};

class ScreenSaver final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    ScreenSaver()
        : m_holders(
            QString(), QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForUnregistration)
    {
        connect(&m_holders, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& holder) {
                for (const uint cookie : m_held.keys(holder)) {
                    m_held.remove(cookie);
                    note(QStringLiteral("released"));
                }
            });
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        note(QStringLiteral("Inhibit\t%1\t%2").arg(application, reason));
        m_held.insert(++m_lastCookie, message().service());
        m_holders.addWatchedService(message().service());
        setDelayedReply(true);
        QTimer::singleShot(500, this, [call = message(), cookie = m_lastCookie] {
            QDBusConnection::sessionBus().send(call.createReply(cookie));
        });
        return 0;
    }
    void UnInhibit(uint cookie)
    {
        m_held.remove(cookie);
        note(QStringLiteral("UnInhibit"));
    }

private:
    QDBusServiceWatcher m_holders;
    QHash<uint, QString> m_held;
    uint m_lastCookie = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    notesPath = QString::fromLocal8Bit(argv[2]);
    if (qstrcmp(argv[1], "slides") == 0) {
        QApplication application(argc, argv);
        Slides slides;
        slides.setWindowTitle(QStringLiteral("Slides"));
        slides.resize(400, 300);
        slides.show();
        return QApplication::exec();
    }
    QCoreApplication application(argc, argv);
    ScreenSaver screenSaver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
            QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")))
        return 1;
    note(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "standin.moc"
