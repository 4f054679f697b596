#pragma once

#include "core/timerstate.h"
#include "core/windowlayout.h"

namespace zelvano {

// Whether closing the window now would lose something of the talk: its timing while the timer
// runs, or lap lines that no report has held since the last slide.
bool talkAtStake(const TimerState& state);

// The keys with which a dialog ends itself. A presentation clicker sends Escape (often from its
// Start/Stop button) to whichever window has the keyboard, so they must not end a talk.
enum class ClosingKey { Escape, Enter };

enum class ClosingKeyAction {
    CloseWindow, // what the keys always did: the program ends
    CloseSpeakerView,
    Ignore,
};

// What Escape or Enter in the main window does. While the speaker's view is open Escape closes
// the view and nothing else; with the talk at stake neither key ends the program. The Close
// button and the window's close box are not keys: they always end it.
ClosingKeyAction closingKeyAction(ClosingKey key, const TimerState& state, bool speakerViewOpen);

// Whether Enter presses the push button that has the keyboard, as a keyboard or screen-reader user
// expects (Save while laps are unsaved, above all), except where that would end the program or
// start the talk again while the talk is at stake: Close and Start are then left to a click or
// Space.
bool enterPressesButton(ControlId button, const TimerState& state);

} // namespace zelvano
