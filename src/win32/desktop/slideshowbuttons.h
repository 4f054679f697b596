#pragma once

#include <windows.h>

#include "core/timerstate.h"

namespace zelvano {

// The main window's push buttons beside a slide show that has the keyboard. A click on a button
// that runs the talk (Start, Stop, Slide, Test, Save) does its job and leaves the focus and the
// foreground where they were, so that a presentation clicker goes on turning the slides; a click
// anywhere else activates the window as usual, and so does Alt+Tab with the pointer left on a
// talk button. And while the talk is at stake, a bare letter a clicker sends (B blanks the
// slides) never presses the button whose mnemonic it is (with Alt it still does); Enter presses
// the button with the focus, but not Close or Start, which would end the talk or start it again.
class SlideShowButtons final
{
public:
    // Takes over the dialog's push buttons; state is read at each key.
    void attach(HWND dialog, const TimerState& state);
    // The dialog's answer to WM_MOUSEACTIVATE.
    LRESULT mouseActivation(LPARAM lParam);

private:
    static LRESULT CALLBACK buttonProc(
        HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT handle(HWND button, UINT message, WPARAM wParam, LPARAM lParam, bool quiet);
    HWND talkButtonUnderCursor() const;
    void setActivatable(bool activatable) const;
    void release(HWND button, bool clicked);
    void click(HWND button) const;

    HWND m_dialog = nullptr;
    const TimerState* m_state = nullptr;
    HWND m_pressed = nullptr; // the talk button held down by a click that did not activate
    HWND m_awaiting = nullptr; // the talk button under an offer that awaits its click
    ULONGLONG m_askedAgainAt = 0; // when the window was shown afresh for a new offer
};

} // namespace zelvano
