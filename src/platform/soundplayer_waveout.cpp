#include "platform/soundplayer.h"

#include <windows.h>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mmsystem.h>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/texts.h"
#include "platform/soundfile.h"
#include "platform/widestring_win32.h"
#include "sound/pcmconvert.h"
#include "sound/ringsounds.h"

namespace zelvano {

namespace {

    // Guards only the window's closing: nothing on the sound thread waits for long.
    constexpr auto shutdownTimeout = std::chrono::seconds(1);
    // The output stays open in one format from start-up on: a stream opened for the ring itself
    // loses its first few hundred milliseconds on some systems, which would be the whole bell.
    constexpr std::uint32_t outputRate = 44100;

    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::optional<std::string> request; // the latest asked for; an earlier one is cut off
        bool quit = false;
        bool finished = false;
    };

    // One open waveOut device and the sound it is playing.
    class WaveOutput final
    {
    public:
        WaveOutput() = default;
        ~WaveOutput() { close(); }
        WaveOutput(const WaveOutput&) = delete;
        WaveOutput& operator=(const WaveOutput&) = delete;

        // Opens the device unless it is open; false when there is none.
        bool open()
        {
            if (m_device)
                return true;
            WAVEFORMATEX format {};
            format.wFormatTag = WAVE_FORMAT_PCM;
            format.nChannels = 2;
            format.nSamplesPerSec = outputRate;
            format.wBitsPerSample = 16;
            format.nBlockAlign = 4;
            format.nAvgBytesPerSec = outputRate * 4;
            HWAVEOUT device = nullptr;
            if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
                return false;
            m_device = device;
            return true;
        }

        // Cuts off what plays and starts samples.
        void play(std::vector<std::int16_t> samples)
        {
            if (!open())
                return;
            stop();
            m_samples = std::move(samples);
            m_header = {};
            m_header.lpData = reinterpret_cast<LPSTR>(m_samples.data());
            m_header.dwBufferLength = static_cast<DWORD>(m_samples.size() * sizeof(std::int16_t));
            if (waveOutPrepareHeader(m_device, &m_header, sizeof m_header) != MMSYSERR_NOERROR)
                return;
            m_prepared = true;
            // A device that went away is opened afresh at the next ring.
            if (waveOutWrite(m_device, &m_header, sizeof m_header) != MMSYSERR_NOERROR)
                close();
        }

    private:
        void stop()
        {
            waveOutReset(m_device);
            if (m_prepared)
                waveOutUnprepareHeader(m_device, &m_header, sizeof m_header);
            m_prepared = false;
        }

        void close()
        {
            if (!m_device)
                return;
            stop();
            waveOutClose(m_device);
            m_device = nullptr;
        }

        HWAVEOUT m_device = nullptr;
        WAVEHDR m_header {};
        bool m_prepared = false;
        std::vector<std::int16_t> m_samples;
    };

    void runSoundThread(const std::shared_ptr<Shared>& shared)
    {
        {
            WaveOutput output;
            RingSounds sounds(builtInBellWav(), openSoundFile);
            output.open();
            for (;;) {
                std::string path;
                {
                    std::unique_lock lock(shared->mutex);
                    shared->changed.wait(
                        lock, [&shared] { return shared->quit || shared->request; });
                    if (shared->quit)
                        break;
                    path = std::move(*shared->request);
                    shared->request.reset();
                }
                std::shared_ptr<const PcmSound> sound = sounds.file(path);
                if (!sound)
                    sound = sounds.bell();
                if (sound)
                    output.play(toStereo16(*sound, outputRate));
            }
        }
        const std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->changed.notify_all();
    }

} // namespace

struct SoundPlayer::Impl
{
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    std::thread thread;
};

SoundPlayer::SoundPlayer() = default;

void SoundPlayer::start()
{
    if (m_impl)
        return;
    // Tried once: a player that could not start stays silent rather than say so at every ring.
    m_impl = std::make_unique<Impl>();
    try {
        m_impl->thread = std::thread(runSoundThread, m_impl->shared);
    } catch (const std::system_error&) {
        OutputDebugStringW(widen(texts::noSoundThreadMessage).c_str());
    }
}

SoundPlayer::~SoundPlayer()
{
    if (!m_impl || !m_impl->thread.joinable())
        return;
    Shared& shared = *m_impl->shared;
    std::unique_lock lock(shared.mutex);
    shared.quit = true;
    shared.changed.notify_all();
    const bool finished
        = shared.changed.wait_for(lock, shutdownTimeout, [&shared] { return shared.finished; });
    lock.unlock();
    // A thread that did not finish keeps what it uses alive itself, and ends with the process.
    if (finished)
        m_impl->thread.join();
    else
        m_impl->thread.detach();
}

void SoundPlayer::play(const std::string& fileName)
{
    start();
    if (!m_impl->thread.joinable())
        return;
    // Resolved here: the working directory may change before the sound thread gets to it.
    const std::wstring name = widen(fileName);
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (length >= path.size()) {
        path.resize(length);
        length = GetFullPathNameW(name.c_str(), length, path.data(), nullptr);
    }
    path.resize(length < path.size() ? length : 0);
    const std::lock_guard lock(m_impl->shared->mutex);
    m_impl->shared->request = path.empty() ? fileName : narrow(path);
    m_impl->shared->changed.notify_all();
}

} // namespace zelvano
