#pragma once

#include <windows.h>
#include <string>

#include "core/bellsettings.h"
#include "lectern/lectern.h"
#include "win32/desktop/accessibleannotations.h"
#include "win32/lectern/bigdigits.h"

namespace zelvano {

// The speaker's view: a second window showing what the main window's Lectern says. Where it goes
// is the portable rule's: with two or more screens it fills one that does not hold the main
// window (the projector), and follows the screens: when they change, or the main window moves onto
// its screen, it fills its screen again, moves to another free one or closes, so that it never
// spans two screens nor covers the main window. With one screen it is an ordinary resizable
// window beside the main one, and stays where the user puts it. It never takes the focus when it
// opens and has no timer of its own: the main window has it show its content again at every
// second and choice. Escape (once the user has clicked into it) or a double-click closes it. It
// has no owner, so that minimising the main window leaves it showing; the main window closes it.
class SpeakerView final
{
public:
    // The lectern and the bells are read at every refresh.
    SpeakerView(HINSTANCE instance, AccessibleAnnotations& annotations, const Lectern& lectern,
        const BellSettings& settings);
    ~SpeakerView();
    SpeakerView(const SpeakerView&) = delete;
    SpeakerView& operator=(const SpeakerView&) = delete;

    bool isOpen() const { return m_window != nullptr; }
    void open(HWND mainWindow);
    void close();
    // Shows what the lectern says now, painted before returning, since a bell due on this
    // second blocks the thread right after.
    void refresh();
    // The main window's WM_MOVE, WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: a finished move onto the
    // view's screen sends the view away. While the user drags, the view waits for the drop.
    void mainWindowMoved(UINT message);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void followScreens();

    HINSTANCE m_instance;
    AccessibleAnnotations& m_annotations;
    const Lectern& m_lectern;
    const BellSettings& m_settings;
    HWND m_window = nullptr;
    HWND m_digitsWindow = nullptr;
    HWND m_mainWindow = nullptr;
    BigDigits m_digits;
    std::string m_screen; // the screen the view fills, empty while it is a window
    int m_describedPhase = -1; // what the description last said
    bool m_mainWindowDragged = false;
};

} // namespace zelvano
