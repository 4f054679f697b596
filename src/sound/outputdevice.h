#pragma once

#include <cstddef>
#include <cstdint>

namespace zelvano {

// The few calls of a sound device that plays blocks of interleaved 16-bit stereo samples one after
// another, in the order they were written. A block lives in one of a few numbered slots; its
// samples stay the caller's and must stay put from prepare() until unprepare(). Every call but
// close() answers false when the device reports an error.
class OutputDevice
{
public:
    virtual ~OutputDevice() = default;

    // Called only while closed.
    virtual bool open(std::uint32_t rate) = 0;
    virtual bool prepare(int slot, const std::int16_t* samples, std::size_t count) = 0;
    // Queues a prepared block behind the ones written before it.
    virtual bool write(int slot) = 0;
    // Whether the device has handed a written block back: played, or cut off by reset().
    virtual bool isDone(int slot) const = 0;
    virtual bool unprepare(int slot) = 0;
    // Stops at once and hands every written block back.
    virtual bool reset() = 0;
    virtual void close() = 0;
};

} // namespace zelvano
