#include "sound/ringoutput.h"

#include <algorithm>
#include <utility>

#include "core/texts.h"

namespace zelvano {

namespace {

    using Clock = RingOutput::Clock;
    using std::chrono::microseconds;
    using namespace std::chrono_literals;

    constexpr Clock::duration silenceLength = 200ms;
    // A device that holds sound it has not played and whose count of frames played stands still
    // this long is not going to play it.
    constexpr Clock::duration stallAfter = 1s;
    constexpr Clock::duration restAfterRing = 10s;
    constexpr Clock::duration retryOpenAfter = 1s;

} // namespace

RingOutput::RingOutput(
    OutputDevice& device, std::uint32_t rate, Clock::duration leadIn, Trace trace)
    : m_device(device)
    , m_rate(rate)
    , m_leadIn(leadIn)
    , m_trace(std::move(trace))
{
    const auto silenceFrames = static_cast<std::size_t>(
        std::chrono::duration_cast<microseconds>(silenceLength).count() * rate / 1000000);
    for (std::size_t slot = ringSlot + 1; slot < slotCount; ++slot)
        m_blocks[slot].samples.assign(silenceFrames * 2, 0);
}

RingOutput::~RingOutput()
{
    close();
    if (m_closePending)
        static_cast<void>(m_device.close());
}

void RingOutput::play(
    std::vector<std::int16_t> samples, Clock::time_point askedAt, Clock::time_point now)
{
    if (!m_open || !ringsPending(now))
        startRun();
    if (!m_open && !open(now)) {
        m_delay = now - askedAt;
        addRing(now, std::move(samples));
        recover(now);
        return;
    }
    // A run of rings starts once the stream has warmed up, and the rest of the run keeps its pace;
    // a ring taken up late puts off the rings after it as much.
    if (m_rings.empty())
        m_delay = std::max(m_openedAt + m_leadIn, now) - askedAt;
    else
        m_delay = std::max(m_delay, now - askedAt);
    addRing(askedAt + m_delay, std::move(samples));
    if (!queueRings(now))
        recover(now);
}

void RingOutput::hold(bool held, Clock::time_point now)
{
    m_held = held;
    m_retryAt.reset();
    if (held && !m_open && !(open(now) && queueRings(now)))
        recover(now);
}

void RingOutput::update(Clock::time_point now)
{
    if (!m_open) {
        if (m_held && m_retryAt && now >= *m_retryAt) {
            m_retryAt.reset();
            if (!(open(now) && queueRings(now)))
                recover(now);
        }
        return;
    }
    if (!readPosition(now) || hasStalled(now)) {
        recover(now);
        return;
    }
    for (int slot = 0; slot < static_cast<int>(slotCount); ++slot) {
        const Block& block = m_blocks[static_cast<std::size_t>(slot)];
        if (!block.prepared || !m_device.isDone(slot))
            continue;
        // The silence goes round again for as long as the device stays open.
        if (!release(slot) || (slot != ringSlot && !queue(slot, now))) {
            recover(now);
            return;
        }
    }
    if (!m_held && now >= m_closeAt) {
        close();
        startRun();
    }
}

std::optional<Clock::time_point> RingOutput::nextDeadline() const
{
    if (!m_open)
        return m_held ? m_retryAt : std::nullopt;
    std::optional<Clock::time_point> deadline;
    if (!m_held)
        deadline = m_closeAt;
    // Whether a device with sound in hand still moves is checked at least this often.
    if (m_played < m_written && (!deadline || m_movedAt + stallAfter < *deadline))
        deadline = m_movedAt + stallAfter;
    return deadline;
}

bool RingOutput::open(Clock::time_point now)
{
    // A stream that refused to close, twice, is asked once more before the next one opens, then
    // left to the system: a sound output that never opens again costs more than one stream lost.
    if (std::exchange(m_closePending, false) && !m_device.close()) {
        if (m_trace)
            m_trace(texts::soundDeviceNotClosed);
        m_device.abandon();
    }
    if (!m_device.open(m_rate))
        return false;
    m_open = true;
    m_openedAt = now;
    m_written = 0;
    m_played = 0;
    m_movedAt = now;
    m_ringsFrom = 0;
    m_ringFrames = 0;
    return true;
}

void RingOutput::close()
{
    if (!m_open)
        return;
    // Errors change nothing here: the device is let go of either way.
    m_device.reset();
    for (int slot = 0; slot < static_cast<int>(slotCount); ++slot)
        release(slot);
    m_open = false;
    if (m_device.close())
        return;
    // A device still busy with a block is the usual reason: it is stopped once more and asked
    // again, and one that still holds on is asked again before it is next opened.
    if (m_trace)
        m_trace(texts::soundDeviceNotClosed);
    m_device.reset();
    m_closePending = !m_device.close();
}

void RingOutput::startRun()
{
    m_rings.clear();
    m_playedOn = false;
    m_heardUntil = {};
}

void RingOutput::addRing(Clock::time_point start, std::vector<std::int16_t> samples)
{
    m_closeAt = start + length(samples.size()) + restAfterRing;
    m_rings.push_back({ start, std::move(samples) });
}

bool RingOutput::queueRings(Clock::time_point now)
{
    const bool anyQueued = std::any_of(
        m_blocks.begin(), m_blocks.end(), [](const Block& block) { return block.prepared; });
    if (anyQueued) {
        // What the device played before it is cut off was heard.
        if (!readPosition(now) || !m_device.reset())
            return false;
        m_written = 0;
        m_played = 0;
        // A device fallen behind its time (a loaded machine's mixing can) may not have reached a
        // ring that was due: the rings are put off by as much rather than cut off unheard.
        if (std::any_of(m_rings.begin(), m_rings.end(),
                [&](const Ring& ring) { return ring.start >= m_heardUntil && ring.start < now; }))
            postponeUnheard(now);
    }
    for (int slot = 0; slot < static_cast<int>(slotCount); ++slot) {
        if (!release(slot))
            return false;
    }
    // What was heard before the device failed is not played again.
    m_blocks[ringSlot].samples = renderRings(now, std::max(now, m_heardUntil));
    m_ringsFrom = m_written;
    m_ringFrames = m_blocks[ringSlot].samples.size() / 2;
    m_renderedAt = now;
    if (!m_blocks[ringSlot].samples.empty() && !queue(ringSlot, now))
        return false;
    for (int slot = ringSlot + 1; slot < static_cast<int>(slotCount); ++slot) {
        if (!queue(slot, now))
            return false;
    }
    return true;
}

// From now to the end of the last ring: silence until the first starts, then each ring until the
// next one cuts it off; nothing before playFrom.
std::vector<std::int16_t> RingOutput::renderRings(
    Clock::time_point now, Clock::time_point playFrom) const
{
    if (m_rings.empty())
        return {};
    const Ring& last = m_rings.back();
    const std::int64_t end
        = framesBetween(now, last.start) + static_cast<std::int64_t>(last.samples.size() / 2);
    if (end <= 0)
        return {};
    const std::int64_t first = std::max<std::int64_t>(framesBetween(now, playFrom), 0);
    std::vector<std::int16_t> rendered(static_cast<std::size_t>(end) * 2, 0);
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
        const Ring& ring = m_rings[i];
        const std::int64_t begin = framesBetween(now, ring.start);
        std::int64_t until = begin + static_cast<std::int64_t>(ring.samples.size() / 2);
        if (i + 1 < m_rings.size())
            until = std::min(until, framesBetween(now, m_rings[i + 1].start));
        const std::int64_t from = std::max(begin, first);
        if (from >= until)
            continue;
        std::copy(ring.samples.begin() + (from - begin) * 2,
            ring.samples.begin() + (until - begin) * 2, rendered.begin() + from * 2);
    }
    return rendered;
}

bool RingOutput::queue(int slot, Clock::time_point now)
{
    Block& block = m_blocks[static_cast<std::size_t>(slot)];
    if (!m_device.prepare(slot, block.samples.data(), block.samples.size()))
        return false;
    block.prepared = true;
    if (!m_device.write(slot))
        return false;
    // A device that had played all it was given had no reason to move until now.
    if (m_played >= m_written)
        m_movedAt = now;
    m_written += block.samples.size() / 2;
    return true;
}

bool RingOutput::release(int slot)
{
    Block& block = m_blocks[static_cast<std::size_t>(slot)];
    if (!block.prepared)
        return true;
    block.prepared = false;
    return m_device.unprepare(slot);
}

bool RingOutput::readPosition(Clock::time_point now)
{
    const std::optional<std::uint64_t> played = m_device.playedFrames();
    if (!played)
        return false;
    if (*played != m_played) {
        m_played = *played;
        m_movedAt = now;
    }
    if (m_played > m_ringsFrom && m_ringFrames > 0) {
        const std::uint64_t heard = std::min(m_played - m_ringsFrom, m_ringFrames);
        m_heardUntil = std::max(m_heardUntil, std::min(now, m_renderedAt + length(heard * 2)));
    }
    return true;
}

bool RingOutput::hasStalled(Clock::time_point now) const
{
    return m_played < m_written && now >= m_movedAt + stallAfter;
}

void RingOutput::recover(Clock::time_point now)
{
    if (m_open) {
        if (m_trace)
            m_trace(texts::soundDeviceFailed);
        // Whatever the device can still tell of how far it got was heard.
        readPosition(now);
    }
    close();
    const bool unheard = !m_rings.empty() && framesBetween(m_heardUntil, runEnd()) > 0;
    if (unheard && !m_playedOn) {
        m_playedOn = true;
        if (open(now)) {
            postponeUnheard(now + m_leadIn);
            if (queueRings(now))
                return;
            close();
        }
    }
    // Dropped: the next ring, or the next try while held, opens the device afresh.
    m_rings.clear();
    m_retryAt = now + retryOpenAfter;
}

void RingOutput::postponeUnheard(Clock::time_point resumeAt)
{
    const Clock::time_point from = std::max(m_heardUntil, m_rings.front().start);
    const Clock::duration shift = std::max(Clock::duration::zero(), resumeAt - from);
    for (Ring& ring : m_rings)
        ring.start += shift;
    m_delay += shift;
    m_heardUntil = from + shift;
    m_closeAt = runEnd() + restAfterRing;
}

Clock::duration RingOutput::length(std::size_t samples) const
{
    return microseconds(static_cast<std::int64_t>(samples / 2) * 1000000 / m_rate);
}

std::int64_t RingOutput::framesBetween(Clock::time_point from, Clock::time_point to) const
{
    return std::chrono::duration_cast<microseconds>(to - from).count() * m_rate / 1000000;
}

Clock::time_point RingOutput::runEnd() const
{
    return m_rings.back().start + length(m_rings.back().samples.size());
}

bool RingOutput::ringsPending(Clock::time_point now) const
{
    return !m_rings.empty() && now < runEnd();
}

} // namespace zelvano
