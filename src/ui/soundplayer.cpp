#include "ui/soundplayer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <pulse/mainloop.h>
#include <string>
#include <system_error>

#include <QDir>
#include <QFile>

#include "core/texts.h"
#include "files/wavfile.h"
#include "ui/pulseoutput.h"
#include "ui/ringsounds.h"
#include "ui/soundmailbox.h"

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
    {
        if (loop)
            mailbox.emplace(pa_mainloop_get_api(loop));
    }
    ~Shared()
    {
        mailbox.reset();
        if (loop)
            pa_mainloop_free(loop);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    bool isReady() const { return mailbox && mailbox->isReady(); }

    pa_mainloop* const loop;
    std::optional<SoundMailbox> mailbox;
    std::mutex mutex;
    std::condition_variable finishedChanged;
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
                const SoundMailbox::Mail mail = shared->mailbox->take();
                if (mail.quit)
                    break;
                if (mail.path) {
                    std::shared_ptr<const PcmSound> sound = sounds.file(*mail.path);
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
    if (!m_shared->isReady())
        return;
    try {
        m_thread = std::thread(runSoundThread, m_shared);
    } catch (const std::system_error& error) {
        // Said once: start() does nothing more once the shared state exists.
        std::fprintf(stderr, "%s (%s)\n", texts::noSoundThreadMessage, error.what());
        return;
    }
    pthread_setname_np(m_thread.native_handle(), "zelvano sound");
}

SoundPlayer::~SoundPlayer()
{
    if (!m_thread.joinable())
        return;
    m_shared->mailbox->postQuit();
    std::unique_lock lock(m_shared->mutex);
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
    m_shared->mailbox->post(path.toStdString());
}

} // namespace zelvano
