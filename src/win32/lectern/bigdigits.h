#pragma once

#include <windows.h>
#include <string>

#include "clock/lectern.h"
#include "platform/widestring_win32.h"
#include "win32/lectern/cellline.h"

namespace zelvano {

// A window class of the speaker's view: black behind whatever it draws, double-clicks reported.
void registerDarkWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc);

// The speaker's view's face, light on black within margins of 5 % of its size: the figure as
// large as it fits, and beneath it one line of an eighth of the height at most, the bells reached
// (while colour is on) and the caption. The figure and the marks take the phase's colour, the
// caption keeps the usual one. Its window text is what it shows, a line each, for screen readers
// and outside readers.
class BigDigits final
{
public:
    static constexpr const wchar_t* className = L"ZelvanoBigDigits";
    static void registerClass(HINSTANCE instance);

    BigDigits() = default;
    BigDigits(const BigDigits&) = delete;
    BigDigits& operator=(const BigDigits&) = delete;

    // A child filling parent; it takes neither the focus nor the clicks, which go to parent.
    HWND create(HWND parent, HINSTANCE instance);
    // Painted before returning, like the main display.
    void show(const LecternText& text, int bellPhase);
    void setColoured(bool coloured);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layOut();
    // Sets both lines from m_content; recolour when the phase's colour changed.
    void compose(bool recolour);
    void paint();

    HWND m_window = nullptr;
    CellLine m_figure { widen(narrowestLecternFigure) };
    CellLine m_caption;
    LecternText m_content;
    int m_bellPhase = -1; // none shown yet
    bool m_coloured = false;
};

} // namespace zelvano
