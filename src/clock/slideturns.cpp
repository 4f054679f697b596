#include "clock/slideturns.h"

#include <algorithm>

#include "clock/laplog.h"

namespace zelvano {

bool SlideTurns::HeldKeys::contains(std::uint32_t code) const
{
    return std::find(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(count), code)
        != codes.begin() + static_cast<std::ptrdiff_t>(count);
}

bool SlideTurns::HeldKeys::add(std::uint32_t code)
{
    if (contains(code) || count == codes.size())
        return false;
    codes[count++] = code;
    return true;
}

void SlideTurns::HeldKeys::remove(std::uint32_t code)
{
    const auto end = codes.begin() + static_cast<std::ptrdiff_t>(count);
    const auto found = std::find(codes.begin(), end, code);
    if (found == end)
        return;
    *found = codes[--count];
}

void SlideTurns::keyPressed(TimerContext& context, TurnKey key, std::uint32_t code)
{
    switch (key) {
    case TurnKey::Modifier:
        m_modifiers.add(code);
        return;
    case TurnKey::Other:
        return;
    case TurnKey::Forward:
    case TurnKey::Back:
        break;
    }
    const bool firstPress = m_turnKeys.add(code);
    if (!firstPress || m_modifiers.count > 0 || !m_on || m_numberedShow || !context.state.running)
        return;
    catchUp(context.state);
    if (key == TurnKey::Back) {
        m_shown = std::max(m_first, m_shown - 1);
        return;
    }
    show(context, m_shown + 1);
}

void SlideTurns::keyReleased(TurnKey key, std::uint32_t code)
{
    if (key == TurnKey::Modifier)
        m_modifiers.remove(code);
    else if (key != TurnKey::Other)
        m_turnKeys.remove(code);
}

// The first slide a show tells of is where the talk stands: no lap. A show that begins again
// within a talk whose slides are already its numbers goes on counting them.
void SlideTurns::slideShowBegan(TimerContext& context, std::int64_t slide)
{
    // A talk begun since is taken in first, so that the show's first slide is where it stands.
    catchUp(context.state);
    m_numberedShow = true;
    if (!m_numberedThisTalk) {
        m_numberedThisTalk = true;
        m_shown = m_first = m_furthest = slide;
        return;
    }
    show(context, slide);
}

void SlideTurns::slideShown(TimerContext& context, std::int64_t slide)
{
    if (!m_numberedShow) {
        slideShowBegan(context, slide);
        return;
    }
    catchUp(context.state);
    show(context, slide);
}

void SlideTurns::catchUp(const TimerState& state)
{
    if (state.talks != m_talk) {
        m_talk = state.talks;
        m_first = m_furthest = m_shown;
        m_numberedThisTalk = m_numberedShow;
        m_laps = 0;
    }
    // The lap count wraps as the log's own does; what matters is how many came since.
    const std::uint32_t recorded
        = static_cast<std::uint32_t>(state.slideCount) - static_cast<std::uint32_t>(m_laps);
    m_furthest += recorded;
    m_laps = state.slideCount;
}

void SlideTurns::show(TimerContext& context, std::int64_t slide)
{
    m_shown = slide;
    if (!m_on || !context.state.running || slide <= m_furthest)
        return;
    m_furthest = slide;
    onSlide(context);
    m_laps = context.state.slideCount;
}

} // namespace zelvano
