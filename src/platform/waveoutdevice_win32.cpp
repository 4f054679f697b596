#include "platform/waveoutdevice_win32.h"

#include "platform/systemlibrary_win32.h"

namespace zelvano {

WaveOutDevice::WaveOutDevice()
    : m_library(loadSystemLibrary(L"winmm.dll"))
    , m_done(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (!m_library)
        return;
    Calls calls;
    calls.open = libraryFunction<decltype(waveOutOpen)>(m_library, "waveOutOpen");
    calls.prepare
        = libraryFunction<decltype(waveOutPrepareHeader)>(m_library, "waveOutPrepareHeader");
    calls.write = libraryFunction<decltype(waveOutWrite)>(m_library, "waveOutWrite");
    calls.unprepare
        = libraryFunction<decltype(waveOutUnprepareHeader)>(m_library, "waveOutUnprepareHeader");
    calls.reset = libraryFunction<decltype(waveOutReset)>(m_library, "waveOutReset");
    calls.position = libraryFunction<decltype(waveOutGetPosition)>(m_library, "waveOutGetPosition");
    calls.close = libraryFunction<decltype(waveOutClose)>(m_library, "waveOutClose");
    if (calls.open && calls.prepare && calls.write && calls.unprepare && calls.reset
        && calls.position && calls.close)
        m_calls = calls;
}

WaveOutDevice::~WaveOutDevice()
{
    // The process is ending or the sound thread is: a device that will not close is left to the
    // system.
    static_cast<void>(close());
    if (m_done)
        CloseHandle(m_done);
    if (m_library)
        FreeLibrary(m_library);
}

bool WaveOutDevice::open(std::uint32_t rate)
{
    if (!m_calls.open || !m_done || m_device)
        return false;
    WAVEFORMATEX format {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate * 4;
    HWAVEOUT device = nullptr;
    if (m_calls.open(
            &device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_done), 0, CALLBACK_EVENT)
        != MMSYSERR_NOERROR)
        return false;
    m_device = device;
    m_lastCount = 0;
    m_count = 0;
    return true;
}

bool WaveOutDevice::prepare(int slot, const std::int16_t* samples, std::size_t count)
{
    WAVEHDR& block = header(slot);
    block = {};
    block.lpData = reinterpret_cast<LPSTR>(const_cast<std::int16_t*>(samples));
    block.dwBufferLength = static_cast<DWORD>(count * sizeof(std::int16_t));
    return m_calls.prepare(m_device, &block, sizeof block) == MMSYSERR_NOERROR;
}

bool WaveOutDevice::write(int slot)
{
    return m_calls.write(m_device, &header(slot), sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool WaveOutDevice::isDone(int slot) const
{
    return (m_headers.at(static_cast<std::size_t>(slot)).dwFlags & WHDR_DONE) != 0;
}

bool WaveOutDevice::unprepare(int slot)
{
    return m_calls.unprepare(m_device, &header(slot), sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool WaveOutDevice::reset()
{
    // The device counts from zero again.
    m_lastCount = 0;
    m_count = 0;
    return m_calls.reset(m_device) == MMSYSERR_NOERROR;
}

std::optional<std::uint64_t> WaveOutDevice::playedFrames()
{
    MMTIME time {};
    time.wType = TIME_SAMPLES;
    if (m_calls.position(m_device, &time, sizeof time) != MMSYSERR_NOERROR)
        return std::nullopt;
    // A device that cannot count in samples answers in another unit of its choice.
    DWORD count = 0;
    std::uint64_t unitsPerFrame = 1;
    if (time.wType == TIME_SAMPLES) {
        count = time.u.sample;
    } else if (time.wType == TIME_BYTES) {
        count = time.u.cb;
        unitsPerFrame = 4;
    } else {
        return std::nullopt;
    }
    m_count += static_cast<DWORD>(count - m_lastCount);
    m_lastCount = count;
    return m_count / unitsPerFrame;
}

bool WaveOutDevice::close()
{
    if (!m_device)
        return true;
    if (m_calls.close(m_device) != MMSYSERR_NOERROR)
        return false;
    m_device = nullptr;
    return true;
}

void WaveOutDevice::abandon() { m_device = nullptr; }

} // namespace zelvano
