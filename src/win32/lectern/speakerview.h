#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

#include "core/bellsettings.h"
#include "win32/desktop/accessibleannotations.h"
#include "win32/lectern/bigdigits.h"

namespace zelvano {

// The speaker's view: a second window with the time large, light on black, and the time to the
// next bell beneath. With two or more screens it fills one that does not hold the main window
// (the projector), and follows the screens: when they change, or the main window moves onto its
// screen, it fills its screen again, moves to another free one or closes, so that it never spans
// two screens nor covers the main window. With one screen it is an ordinary resizable window
// beside the main one, and stays where the user puts it. It never takes the focus when it opens
// and has no timer of its own: the main window hands it every second, which it keeps while
// closed. Escape (once the user has clicked into it) or a double-click closes it. It has no
// owner, so that minimising the main window leaves it showing; the main window closes it.
class SpeakerView final
{
public:
    SpeakerView(
        HINSTANCE instance, AccessibleAnnotations& annotations, const BellSettings& settings);
    ~SpeakerView();
    SpeakerView(const SpeakerView&) = delete;
    SpeakerView& operator=(const SpeakerView&) = delete;

    bool isOpen() const { return m_window != nullptr; }
    void open(HWND mainWindow);
    void close();
    // The seconds the main display shows: painted before returning, since a bell due on this
    // second blocks the thread right after.
    void show(std::int32_t seconds, int bellPhase);
    // The bells may have been set anew.
    void refresh() { showContent(); }
    void setColoured(bool coloured);
    bool remainingLarge() const { return m_remainingLarge; }
    // The time to the next bell large and the elapsed time beneath, or the other way round.
    void setRemainingLarge(bool remainingLarge);
    // The main window's WM_MOVE, WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: a finished move onto the
    // view's screen sends the view away. While the user drags, the view waits for the drop.
    void mainWindowMoved(UINT message);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void showContent();
    void followScreens();

    HINSTANCE m_instance;
    AccessibleAnnotations& m_annotations;
    const BellSettings& m_settings;
    HWND m_window = nullptr;
    HWND m_digitsWindow = nullptr;
    HWND m_mainWindow = nullptr;
    BigDigits m_digits;
    std::string m_screen; // the screen the view fills, empty while it is a window
    std::int32_t m_seconds = 0;
    int m_bellPhase = 0;
    int m_describedPhase = -1; // what the description last said
    bool m_remainingLarge = false; // until the window turns it on
    bool m_mainWindowDragged = false;
};

} // namespace zelvano
