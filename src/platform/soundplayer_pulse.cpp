#include "platform/soundplayer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <system_error>
#include <thread>

#include "core/texts.h"
#include "platform/pulselibrary.h"
#include "platform/pulsemailbox.h"
#include "platform/pulseoutput.h"
#include "platform/soundfile.h"
#include "sound/ringsounds.h"

namespace zelvano {

namespace {

    // The sound thread never waits without a deadline, so this is only a last guard for the
    // window's closing.
    constexpr auto shutdownTimeout = std::chrono::seconds(1);

    // What the caller and the sound thread share; the thread keeps it alive should the player give
    // up waiting for it.
    struct Shared
    {
        Shared()
            : loop(pulseLibrary() ? pulse().mainloop_new() : nullptr)
        {
            if (loop)
                mailbox.emplace(pulse().mainloop_get_api(loop));
        }
        ~Shared()
        {
            mailbox.reset();
            if (loop)
                pulse().mainloop_free(loop);
        }
        Shared(const Shared&) = delete;
        Shared& operator=(const Shared&) = delete;

        bool isReady() const { return mailbox && mailbox->isReady(); }

        pa_mainloop* const loop;
        std::optional<PulseMailbox> mailbox;
        std::mutex mutex;
        std::condition_variable finishedChanged;
        bool finished = false;
    };

    void runSoundThread(const std::shared_ptr<Shared>& shared)
    {
        {
            // Everything the sound path holds lives in here, so it is gone before the player
            // hears that the thread finished.
            PulseOutput output(shared->loop);
            RingSounds sounds(builtInBellWav(), openSoundFile);
            // Connected and decoded ahead, so the first bell is as quick as any other.
            output.connect();
            for (;;) {
                const PulseMailbox::Mail mail = shared->mailbox->take();
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

struct SoundPlayer::Impl
{
    std::shared_ptr<Shared> shared;
    std::thread thread;
};

SoundPlayer::SoundPlayer() = default;

void SoundPlayer::start()
{
    if (m_impl)
        return;
    // Tried once: a player that could not start stays silent rather than say so at every ring.
    m_impl = std::make_unique<Impl>();
    m_impl->shared = std::make_shared<Shared>();
    if (!m_impl->shared->isReady())
        return;
    try {
        m_impl->thread = std::thread(runSoundThread, m_impl->shared);
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "%s (%s)\n", texts::noSoundThreadMessage, error.what());
        return;
    }
    pthread_setname_np(m_impl->thread.native_handle(), "zelvano sound");
}

SoundPlayer::~SoundPlayer()
{
    if (!m_impl || !m_impl->thread.joinable())
        return;
    Shared& shared = *m_impl->shared;
    shared.mailbox->postQuit();
    std::unique_lock lock(shared.mutex);
    const bool finished = shared.finishedChanged.wait_for(
        lock, shutdownTimeout, [&shared] { return shared.finished; });
    lock.unlock();
    // A thread that did not finish keeps what it uses alive itself, and ends with the process.
    if (finished)
        m_impl->thread.join();
    else
        m_impl->thread.detach();
}

// The sound server's stream is cheap to keep and is kept from start() to the end.
void SoundPlayer::holdOutput(bool held)
{
    if (held)
        start();
}

void SoundPlayer::play(const std::string& fileName)
{
    start();
    if (!m_impl->thread.joinable())
        return;
    // Resolved here: the working directory may change before the sound thread gets to it.
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(fileName, error);
    m_impl->shared->mailbox->post(error ? fileName : path.string());
}

} // namespace zelvano
