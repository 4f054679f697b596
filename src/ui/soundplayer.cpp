#include "ui/soundplayer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <pulse/mainloop.h>
#include <string>

#include <QDir>
#include <QFile>

#include "files/wavfile.h"
#include "ui/pulseoutput.h"
#include "ui/ringsounds.h"

namespace zelvano {

namespace {

    // The sound thread never waits without a deadline, so this is only a last guard for the
    // window's closing.
    constexpr auto shutdownTimeout = std::chrono::seconds(1);

} // namespace

struct SoundPlayer::Shared
{
    Shared()
        : loop(pa_mainloop_new())
    { }
    ~Shared()
    {
        if (loop)
            pa_mainloop_free(loop);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    pa_mainloop* const loop;
    std::mutex mutex;
    std::condition_variable finishedChanged;
    // The latest path asked for: an earlier one would be cut off at once.
    std::optional<std::string> request;
    bool quit = false;
    bool finished = false;
};

namespace {

    void runSoundThread(const std::shared_ptr<SoundPlayer::Shared>& shared)
    {
        {
            // Everything the sound path holds lives in here, so it is gone before the player
            // hears that the thread finished.
            PulseOutput output(shared->loop);
            RingSounds sounds;
            // Connected and decoded ahead, so the first bell is as quick as any other.
            output.connect();
            for (;;) {
                std::optional<std::string> path;
                {
                    const std::lock_guard lock(shared->mutex);
                    if (shared->quit)
                        break;
                    path = std::exchange(shared->request, std::nullopt);
                }
                if (path) {
                    std::shared_ptr<const PcmSound> sound = sounds.file(*path);
                    if (sound)
                        output.play(std::move(sound), sounds.bell());
                    else if (sounds.bell())
                        output.play(sounds.bell(), nullptr);
                }
                output.waitForEvents();
            }
        }
        const std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->finishedChanged.notify_all();
    }

} // namespace

SoundPlayer::SoundPlayer() = default;

void SoundPlayer::start()
{
    if (m_shared)
        return;
    m_shared = std::make_shared<Shared>();
    if (!m_shared->loop)
        return;
    m_thread = std::thread(runSoundThread, m_shared);
    pthread_setname_np(m_thread.native_handle(), "zelvano sound");
}

SoundPlayer::~SoundPlayer()
{
    if (!m_thread.joinable())
        return;
    std::unique_lock lock(m_shared->mutex);
    m_shared->quit = true;
    pa_mainloop_wakeup(m_shared->loop);
    const bool finished = m_shared->finishedChanged.wait_for(
        lock, shutdownTimeout, [this] { return m_shared->finished; });
    lock.unlock();
    // A thread that did not finish keeps what it uses alive itself, and ends with the process.
    if (finished)
        m_thread.join();
    else
        m_thread.detach();
}

void SoundPlayer::play(const QString& fileName)
{
    start();
    if (!m_thread.joinable())
        return;
    // Resolved here: the working directory may change before the sound thread gets to it.
    const QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(fileName));
    const std::lock_guard lock(m_shared->mutex);
    m_shared->request = path.toStdString();
    pa_mainloop_wakeup(m_shared->loop);
}

} // namespace zelvano
