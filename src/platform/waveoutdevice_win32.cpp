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
    calls.prepare = libraryFunction<decltype(waveOutPrepareHeader)>(m_library, "waveOutPrepareHeader");
    calls.write = libraryFunction<decltype(waveOutWrite)>(m_library, "waveOutWrite");
    calls.unprepare
        = libraryFunction<decltype(waveOutUnprepareHeader)>(m_library, "waveOutUnprepareHeader");
    calls.reset = libraryFunction<decltype(waveOutReset)>(m_library, "waveOutReset");
    calls.close = libraryFunction<decltype(waveOutClose)>(m_library, "waveOutClose");
    if (calls.open && calls.prepare && calls.write && calls.unprepare && calls.reset && calls.close)
        m_calls = calls;
}

WaveOutDevice::~WaveOutDevice()
{
    close();
    if (m_done)
        CloseHandle(m_done);
    if (m_library)
        FreeLibrary(m_library);
}

bool WaveOutDevice::open(std::uint32_t rate)
{
    if (!m_calls.open || !m_done)
        return false;
    WAVEFORMATEX format {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate * 4;
    HWAVEOUT device = nullptr;
    if (m_calls.open(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_done), 0,
            CALLBACK_EVENT)
        != MMSYSERR_NOERROR)
        return false;
    m_device = device;
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

bool WaveOutDevice::reset() { return m_calls.reset(m_device) == MMSYSERR_NOERROR; }

void WaveOutDevice::close()
{
    if (!m_device)
        return;
    m_calls.close(m_device);
    m_device = nullptr;
}

} // namespace zelvano
