#pragma once

#include <array>
#include <cstdint>

#include "core/timercontext.h"

namespace zelvano {

// What a key seen on its way to the slide show can mean. Only the two kinds of turn keys and the
// modifiers are ever told apart; every other key is Other and nothing of it is kept.
enum class TurnKey {
    Forward, // Page Down, Right, Down
    Back, // Page Up, Left, Up
    Modifier, // Shift, Control, Alt, Super: a turn key pressed with one is a shortcut, not a turn
    Other,
};

// Which page turns of the slide show record a lap, from whichever source tells of them: one lap
// line for every slide the talk reaches for the first time, however often the speaker goes back
// to show something again.
//
// A slide show that tells its slide numbers is believed over the keys: while one runs the keys
// count for nothing, so an animation step that a key starts is no lap. Keys alone only tell a
// position counted from the slide the talk began on, taken for the first slide, so going back
// from it stays there, as a slide show at its first slide does. A key held down counts once,
// whatever its auto-repeat sends, until it is released.
//
// Laps are recorded as the Slide button records them, only while the timer runs. Every lap
// recorded another way (the button) counts as reaching the next slide, so a turn right after a
// click does not record the same slide twice; an accepted Start begins a new talk on the slide
// shown then.
class SlideTurns
{
public:
    // The window's choice: off, no turn records anything and no source needs to watch.
    void setOn(bool on) { m_on = on; }
    bool isOn() const { return m_on; }

    // Whether a front-end's sources should watch now: slide shows that tell their numbers
    // whenever turns count, so that the slide shown at Start is known; keys only while they can
    // record a lap, so that nothing of the keyboard is looked at otherwise.
    bool watchesSlideShows() const { return m_on; }
    bool watchesKeys(const TimerState& state) const
    {
        return m_on && state.running && !m_numberedShow;
    }

    // A key went down or up; code tells keys apart (auto-repeat, modifiers held).
    void keyPressed(TimerContext& context, TurnKey key, std::uint32_t code);
    void keyReleased(TurnKey key, std::uint32_t code);
    // The source stopped watching the keys and sees none released until it watches again: what
    // it held is forgotten, so that a modifier let go meanwhile does not make every later turn
    // a shortcut.
    void forgetHeldKeys() { m_turnKeys = m_modifiers = HeldKeys {}; }

    // A slide show that tells its slide numbers (any first number, as long as the same source
    // keeps to it) began showing slide, showed slide, or ended.
    void slideShowBegan(TimerContext& context, std::int64_t slide);
    void slideShown(TimerContext& context, std::int64_t slide);
    void slideShowEnded() { m_numberedShow = false; }

private:
    // Takes in what happened without the turns: a new talk, laps recorded by the button.
    void catchUp(const TimerState& state);
    void show(TimerContext& context, std::int64_t slide);

    // A few keys at once are all a hand holds; more than that are not followed.
    static constexpr std::size_t heldKeysKept = 8;
    struct HeldKeys
    {
        std::array<std::uint32_t, heldKeysKept> codes {};
        std::size_t count = 0;

        bool contains(std::uint32_t code) const;
        bool add(std::uint32_t code);
        void remove(std::uint32_t code);
    };

    bool m_on = false;
    bool m_numberedShow = false; // a slide show that tells its numbers runs
    bool m_numberedThisTalk = false; // the slides of this talk are that show's numbers
    std::int64_t m_shown = 0; // the slide shown now, as far as the sources tell
    std::int64_t m_first = 0; // the slide the talk began on
    std::int64_t m_furthest = 0; // the furthest slide this talk has reached
    std::uint32_t m_talk = 0; // TimerState::talks when last seen
    std::int32_t m_laps = 0; // TimerState::slideCount when last seen
    HeldKeys m_turnKeys;
    HeldKeys m_modifiers;
};

} // namespace zelvano
