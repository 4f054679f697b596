#pragma once

#include <windows.h>

#include "clock/slideturns.h"
#include "core/timercontext.h"
#include "win32/slides/powerpointwatch.h"
#include "win32/slides/rawkeys.h"

namespace zelvano {

// What tells the main window that a slide was turned: the keys, while the rule of page turns
// wants them, and PowerPoint's slide shows, while the window's choice is on. Each source only
// watches while the rule asks it to, and hands what it saw to the rule on the window's thread.
class SlideSources final
{
public:
    explicit SlideSources(TimerContext& context)
        : m_context(context)
    { }

    void attach(HWND window) { m_window = window; }
    // Stops every source: the window goes.
    void detach();

    bool isOn() const { return m_turns.isOn(); }
    void setOn(bool on);
    // Starts or stops each source as the rule now asks: after Start, Stop and a slide show's news.
    void follow();

    // The window's WM_INPUT and powerPointMessage.
    void keyInput(WPARAM code, LPARAM input);
    void powerPointNews(WPARAM wParam, LPARAM lParam);

private:
    TimerContext& m_context;
    HWND m_window = nullptr;
    SlideTurns m_turns;
    RawKeys m_keys;
    bool m_keysRefused = false; // the system refused to watch the keys, which was traced
    PowerPointWatch m_powerPoint;
};

} // namespace zelvano
