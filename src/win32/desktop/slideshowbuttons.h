#pragma once

#include <windows.h>

#include "core/timerstate.h"

namespace zelvano {

// The main window's push buttons beside a slide show that has the keyboard. A click on a button
// that runs the talk (Start, Stop, Slide, Test, Save) does its job and leaves the focus and the
// foreground where they were, so that a presentation clicker goes on turning the slides; a click
// anywhere else activates the window as usual. And while the talk is at stake, the keys a clicker
// sends never press a button: neither a bare letter (B blanks the slides), which would press the
// button whose mnemonic it is (with Alt it still does), nor Enter, which would press the button
// with the focus (Start starts the talk again) or the default one.
class SlideShowButtons final
{
public:
    // Takes over the dialog's push buttons; state is read at each key.
    void attach(HWND dialog, const TimerState& state);
    // The dialog's answer to WM_MOUSEACTIVATE.
    LRESULT mouseActivation() const;

private:
    static LRESULT CALLBACK buttonProc(
        HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT handle(HWND button, UINT message, WPARAM wParam, LPARAM lParam, bool quiet);
    HWND talkButtonUnderCursor() const;
    void setActivatable(bool activatable) const;
    void release(HWND button, bool click);

    HWND m_dialog = nullptr;
    const TimerState* m_state = nullptr;
    HWND m_pressed = nullptr; // the talk button held down by a click that did not activate
};

} // namespace zelvano
