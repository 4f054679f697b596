#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sound/outputdevice.h"

namespace zelvano {

// Decides what a sound device plays and when it is open, so that a bell is heard whatever the
// device does, and the device rests while no bell can come.
//
// While open, the device plays silence between the rings, since on some systems a stream that
// runs dry loses the start of the next sound. It is open while held (the timer runs) and from a
// ring until ten seconds after it. A freshly opened stream on some systems drops or stutters
// through its first moments, so a ring that opens the device waits for a lead-in of silence; the
// rings that follow it closely wait just as long, so their spacing stays.
//
// Any error of the device, or a block that comes back more than a second late, closes and
// reopens it and plays the ring in hand once more. A device that does not open is tried again a
// second later while held, or at the next ring: nothing is ever retried at once in a loop.
class RingOutput final
{
public:
    using Clock = std::chrono::steady_clock;

    RingOutput(OutputDevice& device, std::uint32_t rate, Clock::duration leadIn);
    ~RingOutput();
    RingOutput(const RingOutput&) = delete;
    RingOutput& operator=(const RingOutput&) = delete;

    // Cuts off the ring still playing and plays samples (interleaved stereo).
    void play(std::vector<std::int16_t> samples, Clock::time_point now);
    // Keeps the device open (the timer runs), or lets it close once the rings are over.
    void hold(bool held, Clock::time_point now);
    // To be called whenever the device hands a block back, and at nextDeadline() at the latest.
    void update(Clock::time_point now);
    // When update() is due even if the device says nothing; nothing while it can wait for ever.
    std::optional<Clock::time_point> nextDeadline() const;
    bool isOpen() const { return m_open; }

private:
    // A ring as asked for: its samples, and when they are to start.
    struct Ring
    {
        Clock::time_point start;
        std::vector<std::int16_t> samples;
    };
    struct Block
    {
        std::vector<std::int16_t> samples;
        bool prepared = false;
        Clock::time_point due {}; // when the device should have played it through
    };
    static constexpr int ringSlot = 0;
    static constexpr std::size_t slotCount = 3;

    bool open(Clock::time_point now);
    void close();
    void addRing(Clock::time_point start, std::vector<std::int16_t> samples);
    // Cuts off what the device has and queues from now on what the rings ask for, then the
    // silence; false on a device error.
    bool queueRings(Clock::time_point now);
    std::vector<std::int16_t> renderRings(Clock::time_point now) const;
    bool queue(int slot, Clock::time_point now);
    bool release(int slot);
    // After a device error: closes, and plays the ring in hand again unless it was already.
    void recover(Clock::time_point now);
    Clock::duration length(std::size_t samples) const;
    std::int64_t framesBetween(Clock::time_point from, Clock::time_point to) const;
    bool ringsPending(Clock::time_point now) const;

    OutputDevice& m_device;
    const std::uint32_t m_rate;
    const Clock::duration m_leadIn;
    bool m_open = false;
    bool m_held = false;
    std::array<Block, slotCount> m_blocks;
    std::vector<Ring> m_rings; // the latest run of rings close together
    Clock::duration m_delay {}; // how much later than asked for the run's rings start
    bool m_ringInHand = false; // asked for and not yet played through
    Clock::time_point m_openedAt {};
    Clock::time_point m_queuedUntil {}; // when the device will have played what it was given
    Clock::time_point m_closeAt {}; // once not held
    std::optional<Clock::time_point> m_retryAt; // the next try to open while held
    bool m_retried = false; // the ring in hand was played again after an error
};

} // namespace zelvano
