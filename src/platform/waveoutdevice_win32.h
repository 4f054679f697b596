#pragma once

#include <windows.h>
#include <array>
#include <mmsystem.h>
#include <optional>

#include "sound/outputdevice.h"

namespace zelvano {

// The system's waveOut output as an OutputDevice: it carries out the calls and reports how far it
// has played and what failed, nothing more. The sound library is not one that Windows always
// takes from the system folder, so it is loaded from there at run time rather than linked.
class WaveOutDevice final : public OutputDevice
{
public:
    static constexpr int slotCount = 3;

    WaveOutDevice();
    ~WaveOutDevice() override;
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    // Signalled whenever the device hands a block back; nullptr when it could not be made, and
    // then the device does not open.
    HANDLE doneEvent() const { return m_done; }

    bool open(std::uint32_t rate) override;
    bool prepare(int slot, const std::int16_t* samples, std::size_t count) override;
    bool write(int slot) override;
    bool isDone(int slot) const override;
    bool unprepare(int slot) override;
    bool reset() override;
    std::optional<std::uint64_t> playedFrames() override;
    bool close() override;
    void abandon() override;

private:
    // The calls taken from the sound library; all null when it did not load.
    struct Calls
    {
        decltype(&waveOutOpen) open = nullptr;
        decltype(&waveOutPrepareHeader) prepare = nullptr;
        decltype(&waveOutWrite) write = nullptr;
        decltype(&waveOutUnprepareHeader) unprepare = nullptr;
        decltype(&waveOutReset) reset = nullptr;
        decltype(&waveOutGetPosition) position = nullptr;
        decltype(&waveOutClose) close = nullptr;
    };

    WAVEHDR& header(int slot) { return m_headers.at(static_cast<std::size_t>(slot)); }

    HMODULE m_library;
    Calls m_calls;
    HANDLE m_done;
    HWAVEOUT m_device = nullptr;
    std::array<WAVEHDR, slotCount> m_headers {};
    // The device counts in 32 bits, which wrap (after 27 hours in samples, 7 in bytes): the
    // count is carried on here, in the unit the device answered in.
    DWORD m_lastCount = 0;
    std::uint64_t m_count = 0;
};

} // namespace zelvano
