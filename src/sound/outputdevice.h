#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zelvano {

// The few calls of a sound device that plays blocks of interleaved 16-bit stereo samples one after
// another, in the order they were written. A block lives in one of a few numbered slots; its
// samples stay the caller's and must stay put from prepare() until unprepare(). The device only
// carries out and reports: what to make of a slow or a silent device is the caller's to decide.
// Every call answers false (or nothing) when the device reports an error.
class OutputDevice
{
public:
    virtual ~OutputDevice() = default;

    // Called only while closed.
    virtual bool open(std::uint32_t rate) = 0;
    virtual bool prepare(int slot, const std::int16_t* samples, std::size_t count) = 0;
    // Queues a prepared block behind the ones written before it.
    virtual bool write(int slot) = 0;
    // Whether the device has handed a written block back: played, or cut off by reset(). A busy
    // device may hand a block back well after it was heard.
    virtual bool isDone(int slot) const = 0;
    virtual bool unprepare(int slot) = 0;
    // Stops at once and hands every written block back.
    virtual bool reset() = 0;
    // How many frames the device has played since it was opened or last reset.
    virtual std::optional<std::uint64_t> playedFrames() = 0;
    // False when the device would not let go: it keeps the stream, and the next close() asks
    // again. open() is called only once a close has succeeded, or after abandon().
    [[nodiscard]] virtual bool close() = 0;
    // Forgets a stream that would not close, leaving it to the system, so that another can open.
    virtual void abandon() = 0;
};

} // namespace zelvano
