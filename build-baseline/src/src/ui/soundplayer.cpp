#include "ui/soundplayer.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSet>
#include <QSoundEffect>
#include <QUrl>

#include "ui/playablewav.h"

namespace zelvano {

namespace {
    const QUrl builtInBell { QStringLiteral("qrc:/bell.wav") };
}

// Lives on the player's thread and owns the sound effects.
class SoundWorker final : public QObject
{
public:
    // An empty path stands for the built-in bell.
    void play(const QString& absolutePath)
    {
        // Without a sound server, each effect would add a warning of its own to the one Qt gave
        // when it found no output.
        if (QMediaDevices::defaultAudioOutput().isNull())
            return;
        keepBellLoaded();
        const bool useFile = !absolutePath.isEmpty() && isPlayableWav(absolutePath)
            && !m_failedFiles.contains(fileVersion(absolutePath));
        start(useFile ? QUrl::fromLocalFile(absolutePath) : builtInBell);
    }

    // The last request: a sound effect leaves its audio output to the event loop to delete, and
    // this thread's loop is about to end.
    void shutDown()
    {
        delete m_effect;
        m_effect = nullptr;
        delete m_bell;
        m_bell = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    // Qt's sample cache can lose a load that begins just as another one ends, which is exactly
    // when a file that failed to load falls back to the bell. An effect that is never played
    // holds on to the bell's sample, so the bell always comes straight from the cache.
    void keepBellLoaded()
    {
        if (!m_bell) {
            m_bell = new QSoundEffect(this);
            m_bell->setSource(builtInBell);
        }
    }

    void start(const QUrl& source)
    {
        // A fresh effect per request cuts the previous sound off cleanly, where reusing one lets
        // a fraction of a second of the old sound through. The new one asks for its sample
        // before the old one lets go, so a sample played again comes from Qt's cache.
        auto* effect = new QSoundEffect(this);
        connect(effect, &QSoundEffect::statusChanged, this,
            [this, effect] { onStatusChanged(effect); });
        effect->setSource(source);
        if (m_effect) {
            m_effect->stop();
            delete m_effect;
        }
        m_effect = effect;
        effect->play();
    }

    void onStatusChanged(QSoundEffect* effect)
    {
        if (effect != m_effect || effect->status() != QSoundEffect::Error
            || effect->source() == builtInBell)
            return;
        // Asked for again while Qt still remembers the failure, the file would stay loading for
        // ever.
        m_failedFiles.insert(fileVersion(effect->source().toLocalFile()));
        // Inside the effect's own signal, so it may only be deleted later.
        m_effect = nullptr;
        effect->deleteLater();
        start(builtInBell);
    }

    // A file is known by its path, size and modification time, so an edited file gets a new try.
    static QString fileVersion(const QString& path)
    {
        const QFileInfo file(path);
        return QStringLiteral("%1|%2|%3")
            .arg(path)
            .arg(file.size())
            .arg(file.lastModified().toMSecsSinceEpoch());
    }

    QSoundEffect* m_effect = nullptr; // the request being played
    QSoundEffect* m_bell = nullptr; // never played, see keepBellLoaded()
    QSet<QString> m_failedFiles; // fileVersion() of files Qt could not load
};

SoundPlayer::SoundPlayer(QObject* parent)
    : QObject(parent)
    , m_worker(new SoundWorker)
{
    m_worker->moveToThread(&m_thread);
    // The worker is deleted on its own thread, once the event loop there has ended.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("zelvano sound"));
    m_thread.start();
}

SoundPlayer::~SoundPlayer()
{
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker] {
            worker->shutDown();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void SoundPlayer::play(const QString& fileName)
{
    // Resolved here: the working directory may change before the worker gets to the request.
    const QFileInfo file(fileName);
    const QString path = file.isFile() ? file.absoluteFilePath() : QString();
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, path] { worker->play(path); }, Qt::QueuedConnection);
}

} // namespace zelvano
