#include "platform/soundplayer.h"

#include <windows.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "core/bellsettings.h"
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
    constexpr std::size_t maxWaitingRings = 2 * BellSettings::maxRingCount;

    struct RingRequest
    {
        std::string path;
        RingOutput::Clock::time_point askedAt;
    };

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
        // Each ring asked for and not yet taken up, in order, with when it was asked for: a ring
        // asked for while the thread is busy (opening a slow device, decoding a long ring.wav)
        // still rings after the one before it, at its spacing. Two bells of the most rings are
        // more than the window's thread can ask for while the sound thread does anything it
        // ought to; past that the thread is stuck, and rings piling up for it would only come out
        // in a burst long after their bells.
        std::deque<RingRequest> requests;
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
                std::deque<RingRequest> requests;
                bool holdAsked = false;
                {
                    const std::lock_guard lock(shared->mutex);
                    if (shared->quit)
                        break;
                    requests.swap(shared->requests);
                    holdAsked = shared->held;
                }
                if (holdAsked != held) {
                    held = holdAsked;
                    output.hold(held, RingOutput::Clock::now());
                }
                for (const RingRequest& request : requests) {
                    std::shared_ptr<const PcmSound> sound = sounds.file(request.path);
                    if (!sound)
                        sound = sounds.bell();
                    if (sound)
                        output.play(toStereo16(*sound, outputRate), request.askedAt,
                            RingOutput::Clock::now());
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
        if (m_impl->shared->held == held)
            return; // asked again every second: the sound thread sleeps on
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
    bool taken = false;
    {
        const std::lock_guard lock(m_impl->shared->mutex);
        std::deque<RingRequest>& requests = m_impl->shared->requests;
        taken = requests.size() < maxWaitingRings;
        if (taken)
            requests.push_back(
                { path.empty() ? fileName : narrow(path), RingOutput::Clock::now() });
    }
    if (taken)
        SetEvent(m_impl->shared->wake);
    else
        trace(texts::soundThreadStuck);
}

} // namespace zelvano
