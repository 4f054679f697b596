#pragma once

#include <windows.h>

#include "lectern/lectern.h"
#include "lectern/lecternlayout.h"
#include "platform/widestring_win32.h"
#include "win32/lectern/cellline.h"

namespace zelvano {

// A window class of the speaker's view: black behind whatever it draws, double-clicks reported.
void registerDarkWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc);

// The speaker's view's face: what a LecternContent says, laid out as the portable lectern layout
// says, the figure above and the marks and the caption on the line beneath. Its window text is
// the content's readout, for screen readers and outside readers.
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
    void show(const LecternContent& content);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layOut();
    void paint();

    HWND m_window = nullptr;
    CellLine m_figure { widen(narrowestLecternFigure) };
    CellLine m_caption;
    LecternContent m_content {};
};

} // namespace zelvano
