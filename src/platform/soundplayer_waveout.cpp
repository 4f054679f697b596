#include "platform/soundplayer.h"

#include <windows.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "core/texts.h"
#include "platform/soundfile.h"
#include "platform/waveoutdevice_win32.h"
#include "platform/widestring_win32.h"
#include "sound/pcmconvert.h"
#include "sound/ringoutput.h"
#include "sound/ringsounds.h"

namespace zelvano {

namespace {

    // Guards only the window's closing: nothing on the sound thread waits for long.
    constexpr DWORD shutdownTimeoutMs = 1000;
    constexpr std::uint32_t outputRate = 44100;
    // Silence ahead of a ring that opens the output: a freshly opened stream stutters through its
    // first moments on some systems (Wine's among them).
    constexpr auto freshStreamLeadIn = std::chrono::milliseconds(500);
    // Should waiting itself fail, the thread pauses rather than spin.
    constexpr DWORD failedWaitPauseMs = 100;

    void trace(const char* text) { OutputDebugStringW(widen(text).c_str()); }

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

        HANDLE wake; // a request, a change of hold or quit was posted
        HANDLE finished;
        std::mutex mutex;
        std::optional<std::string> request; // the latest asked for; an earlier one is cut off
        bool held = false;
        bool quit = false;
    };

    // Milliseconds from now until deadline, rounded up, so that the wait ends after it.
    DWORD millisecondsUntil(std::optional<RingOutput::Clock::time_point> deadline)
    {
        if (!deadline)
            return INFINITE;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            *deadline - RingOutput::Clock::now());
        return static_cast<DWORD>(std::clamp<std::int64_t>(wait.count(), 1, INFINITE - 1));
    }

    void runSoundThread(const std::shared_ptr<Shared>& shared)
    {
        {
            WaveOutDevice device;
            RingOutput output(device, outputRate, freshStreamLeadIn, trace);
            RingSounds sounds(builtInBellWav(), openSoundFile);
            bool held = false;
            for (;;) {
                const std::array<HANDLE, 2> events { shared->wake, device.doneEvent() };
                const DWORD woken = WaitForMultipleObjects(device.doneEvent() ? 2 : 1,
                    events.data(), FALSE, millisecondsUntil(output.nextDeadline()));
                if (woken == WAIT_FAILED)
                    Sleep(failedWaitPauseMs);
                std::optional<std::string> path;
                bool holdAsked = false;
                {
                    const std::lock_guard lock(shared->mutex);
                    if (shared->quit)
                        break;
                    path = std::exchange(shared->request, std::nullopt);
                    holdAsked = shared->held;
                }
                if (holdAsked != held) {
                    held = holdAsked;
                    output.hold(held, RingOutput::Clock::now());
                }
                if (path) {
                    std::shared_ptr<const PcmSound> sound = sounds.file(*path);
                    if (!sound)
                        sound = sounds.bell();
                    if (sound) {
                        const RingOutput::Clock::time_point now = RingOutput::Clock::now();
                        output.play(toStereo16(*sound, outputRate), now, now);
                    }
                }
                output.update(RingOutput::Clock::now());
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

void SoundPlayer::holdOutput(bool held)
{
    start();
    if (!m_impl->thread.joinable())
        return;
    {
        const std::lock_guard lock(m_impl->shared->mutex);
        m_impl->shared->held = held;
    }
    SetEvent(m_impl->shared->wake);
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
