#pragma once

#include <QObject>
#include <QString>
#include <QThread>

namespace zelvano {

class SoundWorker;

// Plays sound files without the GUI thread: the bell ringer sleeps on that thread between rings,
// and audio fed from a sleeping event loop comes out late and merged. A worker thread with its own
// event loop owns the audio output; play() only posts a request there and returns at once.
// Each request cuts off the sound still playing. A file that is missing or cannot be played is
// replaced by the built-in bell, so a bell is never silent.
class SoundPlayer final : public QObject
{
    Q_OBJECT

public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // fileName is resolved against the working directory at the moment of the call.
    void play(const QString& fileName);

private:
    QThread m_thread;
    SoundWorker* m_worker = nullptr; // lives in m_thread, deleted when it finishes
};

} // namespace zelvano
