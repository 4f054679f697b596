#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "sound/outputdevice.h"

namespace zelvano {

// Decides what a sound device plays and when it is open, so that every ring of a bell is heard
// once, whatever the device does, and the device rests while no bell can come.
//
// While open, the device plays silence between the rings, since on some systems a stream that
// runs dry loses the start of the next sound. It is open while held (the timer runs) and from a
// ring until ten seconds after it. A freshly opened stream on some systems drops or stutters
// through its first moments, so a ring that opens the device waits for a lead-in of silence; the
// rings that follow it closely wait just as long, so their spacing stays.
//
// The device is judged by how far it has played, never by when it hands blocks back: a busy
// machine hands them back seconds after they were heard. A device that has fallen behind is
// waited for: a ring it has not reached yet is put off with the rest of the run, never cut off
// by the next. A device that holds sound it has not played must move on, though; one that
// stands still for a second, or reports an error, is dead. It is
// closed and opened anew (the system's default output may have changed meanwhile), and only
// what the listener has not heard of the rings follows, after the lead-in, once: the rest of
// the ring it stopped in, and the rings after it at their spacing. Should the device fail again
// in the same run of rings, the rest of the run is dropped rather than heard later still. A
// device that does not open is tried again a second later while held, or at the next ring:
// nothing is ever retried at once in a loop.
class RingOutput final
{
public:
    using Clock = std::chrono::steady_clock;
    // Where a developer reads what went wrong with the device; the listener is never told.
    using Trace = std::function<void(const char* text)>;

    RingOutput(OutputDevice& device, std::uint32_t rate, Clock::duration leadIn, Trace trace);
    ~RingOutput();
    RingOutput(const RingOutput&) = delete;
    RingOutput& operator=(const RingOutput&) = delete;

    // Cuts off the ring still playing and plays samples (interleaved stereo), asked for at
    // askedAt: rings asked for while the caller was busy keep the spacing they were asked with.
    void play(std::vector<std::int16_t> samples, Clock::time_point askedAt, Clock::time_point now);
    // Keeps the device open (a bell is coming), or lets it close once the rings are over.
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
    };
    static constexpr int ringSlot = 0;
    static constexpr std::size_t slotCount = 3;

    bool open(Clock::time_point now);
    void close();
    void startRun();
    void addRing(Clock::time_point start, std::vector<std::int16_t> samples);
    // Cuts off what the device has and queues from now on what the rings ask for and was not
    // heard, then the silence; false on a device error.
    bool queueRings(Clock::time_point now);
    std::vector<std::int16_t> renderRings(Clock::time_point now, Clock::time_point playFrom) const;
    bool queue(int slot, Clock::time_point now);
    bool release(int slot);
    // Asks the device how far it has played and notes what of the rings was heard; false on an
    // error.
    bool readPosition(Clock::time_point now);
    bool hasStalled(Clock::time_point now) const;
    // After a device error or stall: closes, and plays on what was not heard unless the run was
    // played on once already.
    void recover(Clock::time_point now);
    // Moves the part of the run not yet heard to start at resumeAt, the rings keeping their
    // spacing.
    void postponeUnheard(Clock::time_point resumeAt);
    Clock::duration length(std::size_t samples) const;
    std::int64_t framesBetween(Clock::time_point from, Clock::time_point to) const;
    Clock::time_point runEnd() const;
    bool ringsPending(Clock::time_point now) const;

    OutputDevice& m_device;
    const std::uint32_t m_rate;
    const Clock::duration m_leadIn;
    const Trace m_trace;
    bool m_open = false;
    bool m_held = false;
    bool m_closePending = false; // the device would not let go of its last stream
    std::array<Block, slotCount> m_blocks;
    std::vector<Ring> m_rings; // the latest run of rings close together
    Clock::duration m_delay {}; // how much later than asked for the run's rings start
    bool m_playedOn = false; // the run was played on after a failure of the device
    // The device's count of frames played, as it stands in the run: the ring block begins at
    // frame m_ringsFrom, which is the run's moment m_renderedAt.
    std::uint64_t m_written = 0; // since the device was opened or reset
    std::uint64_t m_played = 0; // as last read
    Clock::time_point m_movedAt {}; // when the count last moved, or had reason to stand still
    std::uint64_t m_ringsFrom = 0;
    std::uint64_t m_ringFrames = 0;
    Clock::time_point m_renderedAt {};
    Clock::time_point m_heardUntil {}; // how far into the run the listener has heard
    Clock::time_point m_openedAt {};
    Clock::time_point m_closeAt {}; // once not held
    std::optional<Clock::time_point> m_retryAt; // the next try to open while held
};

} // namespace zelvano
