#include "platform/soundplayer.h"

#include <windows.h>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mmsystem.h>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "core/texts.h"
#include "platform/soundfile.h"
#include "platform/widestring_win32.h"
#include "sound/pcmconvert.h"
#include "sound/ringsounds.h"

namespace zelvano {

namespace {

    // Guards only the window's closing: nothing on the sound thread waits for long.
    constexpr DWORD shutdownTimeoutMs = 1000;
    constexpr std::uint32_t outputRate = 44100;
    // Silence queued behind every sound, so that the stream never runs dry.
    constexpr std::size_t silenceFrames = outputRate / 5;
    constexpr std::size_t silenceBuffers = 2;

    // What the caller and the sound thread share; the thread keeps it alive should the player give
    // up waiting for it.
    struct Shared
    {
        Shared()
            : wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
            , finished(CreateEventW(nullptr, TRUE, FALSE, nullptr))
        { }
        ~Shared()
        {
            for (const HANDLE event : { wake, finished }) {
                if (event)
                    CloseHandle(event);
            }
        }
        Shared(const Shared&) = delete;
        Shared& operator=(const Shared&) = delete;

        HANDLE wake; // a request or quit was posted
        HANDLE finished;
        std::mutex mutex;
        std::optional<std::string> request; // the latest asked for; an earlier one is cut off
        bool quit = false;
    };

    // A stream that stays open and playing from start-up to the end, silence between the rings.
    // A stream that is opened, or started again after running dry, loses its first few hundred
    // milliseconds on some systems, which would be the whole of a bell.
    class WaveOutput final
    {
    public:
        WaveOutput()
            : m_done(CreateEventW(nullptr, FALSE, FALSE, nullptr))
        { }
        ~WaveOutput()
        {
            close();
            if (m_done)
                CloseHandle(m_done);
        }
        WaveOutput(const WaveOutput&) = delete;
        WaveOutput& operator=(const WaveOutput&) = delete;

        // Signalled whenever the device is done with a buffer.
        HANDLE doneEvent() const { return m_done; }

        // Opens the device and starts the silence unless it runs; false when there is no device.
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
            if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_done), 0,
                    CALLBACK_EVENT)
                != MMSYSERR_NOERROR)
                return false;
            m_device = device;
            for (Buffer& silence : m_silence)
                queue(silence);
            return true;
        }

        // Cuts off what plays and starts samples, silence behind them.
        void play(std::vector<std::int16_t> samples)
        {
            if (!open())
                return;
            waveOutReset(m_device);
            release(m_sound);
            for (Buffer& silence : m_silence)
                release(silence);
            m_sound.samples = std::move(samples);
            queue(m_sound);
            for (Buffer& silence : m_silence)
                queue(silence);
        }

        // For each buffer the device is done with: silence goes round again.
        void refill()
        {
            if (!m_device)
                return;
            if (m_sound.queued && (m_sound.header.dwFlags & WHDR_DONE))
                release(m_sound);
            for (Buffer& silence : m_silence) {
                if (silence.queued && (silence.header.dwFlags & WHDR_DONE)) {
                    release(silence);
                    queue(silence);
                }
            }
        }

    private:
        struct Buffer
        {
            std::vector<std::int16_t> samples;
            WAVEHDR header {};
            bool queued = false;
        };

        void queue(Buffer& buffer)
        {
            buffer.header = {};
            buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
            buffer.header.dwBufferLength
                = static_cast<DWORD>(buffer.samples.size() * sizeof(std::int16_t));
            if (waveOutPrepareHeader(m_device, &buffer.header, sizeof buffer.header)
                != MMSYSERR_NOERROR)
                return;
            buffer.queued = true;
            // A device that went away is opened afresh at the next ring.
            if (waveOutWrite(m_device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR)
                close();
        }

        void release(Buffer& buffer)
        {
            if (buffer.queued)
                waveOutUnprepareHeader(m_device, &buffer.header, sizeof buffer.header);
            buffer.queued = false;
        }

        void close()
        {
            if (!m_device)
                return;
            waveOutReset(m_device);
            release(m_sound);
            for (Buffer& silence : m_silence)
                release(silence);
            waveOutClose(m_device);
            m_device = nullptr;
        }

        HANDLE m_done;
        HWAVEOUT m_device = nullptr;
        Buffer m_sound;
        std::array<Buffer, silenceBuffers> m_silence { Buffer { std::vector<std::int16_t>(
                                                           silenceFrames * 2) },
            Buffer { std::vector<std::int16_t>(silenceFrames * 2) } };
    };

    void runSoundThread(const std::shared_ptr<Shared>& shared)
    {
        {
            WaveOutput output;
            RingSounds sounds(builtInBellWav(), openSoundFile);
            output.open();
            const std::array<HANDLE, 2> events { shared->wake, output.doneEvent() };
            for (;;) {
                const DWORD woken = WaitForMultipleObjects(
                    static_cast<DWORD>(events.size()), events.data(), FALSE, INFINITE);
                if (woken == WAIT_OBJECT_0 + 1) {
                    output.refill();
                    continue;
                }
                std::optional<std::string> path;
                {
                    const std::lock_guard lock(shared->mutex);
                    if (shared->quit)
                        break;
                    path = std::exchange(shared->request, std::nullopt);
                }
                if (!path)
                    continue;
                std::shared_ptr<const PcmSound> sound = sounds.file(*path);
                if (!sound)
                    sound = sounds.bell();
                if (sound)
                    output.play(toStereo16(*sound, outputRate));
            }
        }
        SetEvent(shared->finished);
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
    if (!m_impl->shared->wake || !m_impl->shared->finished)
        return;
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
    {
        const std::lock_guard lock(shared.mutex);
        shared.quit = true;
    }
    SetEvent(shared.wake);
    // A thread that did not finish keeps what it uses alive itself, and ends with the process.
    if (WaitForSingleObject(shared.finished, shutdownTimeoutMs) == WAIT_OBJECT_0)
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
    DWORD length
        = GetFullPathNameW(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (length >= path.size()) {
        path.resize(length);
        length = GetFullPathNameW(name.c_str(), length, path.data(), nullptr);
    }
    path.resize(length < path.size() ? length : 0);
    {
        const std::lock_guard lock(m_impl->shared->mutex);
        m_impl->shared->request = path.empty() ? fileName : narrow(path);
    }
    SetEvent(m_impl->shared->wake);
}

} // namespace zelvano
