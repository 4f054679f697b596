#pragma once

#include "clock/closingkeys.h"
#include "core/timerstate.h"

namespace zelvano {

// What the dialog's IDOK or IDCANCEL does. The close box, Alt+F4 and the system menu's Close
// come as WM_CLOSE, which the window answers itself, so an IDCANCEL is Escape. An IDOK is Enter
// or a press of the Close button, with the mouse or with Space: the dialog manager sends it for
// Enter while it handles the key's key-down, so the key is down in the state of that message,
// whereas a press sends it once the mouse button or Space comes up. A press always ends the
// program; a key only when closingKeyAction says so.
ClosingKeyAction closingCommandAction(int command, const TimerState& state, bool speakerViewOpen);

} // namespace zelvano
