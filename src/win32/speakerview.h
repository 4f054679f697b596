#pragma once

#include <windows.h>
#include <string>

#include "win32/accessibleannotations.h"
#include "win32/bigdigits.h"

namespace zelvano {

// The speaker's view: a second window that shows only the display text, as large as it fits,
// light on black. With two or more screens it covers one that does not hold the main window (the
// projector); with one it is an ordinary resizable window beside the main one. It never takes the
// focus when it opens and has no timer of its own: the main window hands it every text. Escape
// (once the user has clicked into it) or a double-click closes it; it goes with the main window,
// which owns it.
class SpeakerView final
{
public:
    SpeakerView(HINSTANCE instance, AccessibleAnnotations& annotations);
    ~SpeakerView();
    SpeakerView(const SpeakerView&) = delete;
    SpeakerView& operator=(const SpeakerView&) = delete;

    bool isOpen() const { return m_window != nullptr; }
    void open(HWND mainWindow, const std::string& text, int bellPhase, bool coloured);
    void close();
    // Painted before returning: a bell due on this second blocks the thread right after.
    void show(const std::string& text, int bellPhase);
    void setColoured(bool coloured);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    AccessibleAnnotations& m_annotations;
    HWND m_window = nullptr;
    HWND m_digitsWindow = nullptr;
    BigDigits m_digits;
    int m_bellPhase = -1; // what the description last said
};

} // namespace zelvano
