#include "sound/ringoutput.h"

#include <algorithm>
#include <utility>

namespace zelvano {

namespace {

    using Clock = RingOutput::Clock;
    using std::chrono::microseconds;

    constexpr Clock::duration silenceLength = std::chrono::milliseconds(200);
    // A block the device keeps this long past its end is not coming back: the device is stuck.
    constexpr Clock::duration overdueAfter = std::chrono::seconds(1);
    constexpr Clock::duration restAfterRing = std::chrono::seconds(10);
    constexpr Clock::duration retryOpenAfter = std::chrono::seconds(1);

} // namespace

RingOutput::RingOutput(OutputDevice& device, std::uint32_t rate, Clock::duration leadIn)
    : m_device(device)
    , m_rate(rate)
    , m_leadIn(leadIn)
{
    const auto silenceFrames = static_cast<std::size_t>(
        std::chrono::duration_cast<microseconds>(silenceLength).count() * rate / 1000000);
    for (std::size_t slot = ringSlot + 1; slot < slotCount; ++slot)
        m_blocks[slot].samples.assign(silenceFrames * 2, 0);
}

RingOutput::~RingOutput() { close(); }

void RingOutput::play(std::vector<std::int16_t> samples, Clock::time_point now)
{
    m_retried = false;
    if (!m_open || !ringsPending(now))
        m_rings.clear();
    if (!m_open && !open(now)) {
        addRing(now, std::move(samples));
        recover(now);
        return;
    }
    // A run of rings starts once the stream has warmed up, and the rest of the run keeps its pace.
    if (m_rings.empty())
        m_delay = std::max(Clock::duration::zero(), m_openedAt + m_leadIn - now);
    addRing(now + m_delay, std::move(samples));
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
    for (int slot = 0; slot < static_cast<int>(slotCount); ++slot) {
        const Block& block = m_blocks[static_cast<std::size_t>(slot)];
        if (!block.prepared || !m_device.isDone(slot))
            continue;
        if (slot == ringSlot)
            m_ringInHand = false;
        // The silence goes round again for as long as the device stays open.
        if (!release(slot) || (slot != ringSlot && !queue(slot, now))) {
            recover(now);
            return;
        }
    }
    for (const Block& block : m_blocks) {
        if (block.prepared && now >= block.due + overdueAfter) {
            recover(now);
            return;
        }
    }
    if (!m_held && now >= m_closeAt)
        close();
}

std::optional<Clock::time_point> RingOutput::nextDeadline() const
{
    if (!m_open)
        return m_held ? m_retryAt : std::nullopt;
    std::optional<Clock::time_point> deadline;
    if (!m_held)
        deadline = m_closeAt;
    for (const Block& block : m_blocks) {
        if (block.prepared && (!deadline || block.due + overdueAfter < *deadline))
            deadline = block.due + overdueAfter;
    }
    return deadline;
}

bool RingOutput::open(Clock::time_point now)
{
    if (!m_device.open(m_rate))
        return false;
    m_open = true;
    m_openedAt = now;
    m_queuedUntil = now;
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
    m_device.close();
    m_open = false;
}

void RingOutput::addRing(Clock::time_point start, std::vector<std::int16_t> samples)
{
    m_closeAt = start + length(samples.size()) + restAfterRing;
    m_rings.push_back({ start, std::move(samples) });
    m_ringInHand = true;
}

bool RingOutput::queueRings(Clock::time_point now)
{
    const bool anyQueued = std::any_of(
        m_blocks.begin(), m_blocks.end(), [](const Block& block) { return block.prepared; });
    if (anyQueued && !m_device.reset())
        return false;
    for (int slot = 0; slot < static_cast<int>(slotCount); ++slot) {
        if (!release(slot))
            return false;
    }
    m_queuedUntil = now;
    m_blocks[ringSlot].samples = renderRings(now);
    if (!m_blocks[ringSlot].samples.empty() && !queue(ringSlot, now))
        return false;
    for (int slot = ringSlot + 1; slot < static_cast<int>(slotCount); ++slot) {
        if (!queue(slot, now))
            return false;
    }
    return true;
}

// From now to the end of the last ring: silence until the first starts, then each ring until the
// next one cuts it off.
std::vector<std::int16_t> RingOutput::renderRings(Clock::time_point now) const
{
    if (m_rings.empty())
        return {};
    const Ring& last = m_rings.back();
    const std::int64_t end
        = framesBetween(now, last.start) + static_cast<std::int64_t>(last.samples.size() / 2);
    if (end <= 0)
        return {};
    std::vector<std::int16_t> rendered(static_cast<std::size_t>(end) * 2, 0);
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
        const Ring& ring = m_rings[i];
        const std::int64_t begin = framesBetween(now, ring.start);
        std::int64_t until = begin + static_cast<std::int64_t>(ring.samples.size() / 2);
        if (i + 1 < m_rings.size())
            until = std::min(until, framesBetween(now, m_rings[i + 1].start));
        const std::int64_t from = std::max<std::int64_t>(begin, 0);
        if (from >= until)
            continue;
        std::copy(ring.samples.begin() + (from - begin) * 2, ring.samples.begin() + (until - begin) * 2,
            rendered.begin() + from * 2);
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
    m_queuedUntil = std::max(now, m_queuedUntil) + length(block.samples.size());
    block.due = m_queuedUntil;
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

void RingOutput::recover(Clock::time_point now)
{
    close();
    if (m_ringInHand && !m_retried && !m_rings.empty()) {
        m_retried = true;
        std::vector<std::int16_t> samples = std::move(m_rings.back().samples);
        m_rings.clear();
        if (open(now)) {
            m_delay = m_leadIn;
            addRing(now + m_delay, std::move(samples));
            if (queueRings(now))
                return;
            close();
        }
    }
    // Dropped: the next ring, or the next try while held, opens the device afresh.
    m_rings.clear();
    m_ringInHand = false;
    m_retryAt = now + retryOpenAfter;
}

Clock::duration RingOutput::length(std::size_t samples) const
{
    return microseconds(static_cast<std::int64_t>(samples / 2) * 1000000 / m_rate);
}

std::int64_t RingOutput::framesBetween(Clock::time_point from, Clock::time_point to) const
{
    return std::chrono::duration_cast<microseconds>(to - from).count() * m_rate / 1000000;
}

bool RingOutput::ringsPending(Clock::time_point now) const
{
    return !m_rings.empty() && now < m_rings.back().start + length(m_rings.back().samples.size());
}

} // namespace zelvano
