#pragma once

#include <windows.h>

#include "core/phasecolours.h"

namespace zelvano {

inline COLORREF colourRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

// The main display's colours by bell phase, while the user has them on: the digits in the
// phase's colour on a white face. Off, the display keeps the system's own colours.
class DisplayColouring final
{
public:
    DisplayColouring();
    ~DisplayColouring();
    DisplayColouring(const DisplayColouring&) = delete;
    DisplayColouring& operator=(const DisplayColouring&) = delete;

    bool isOn() const { return m_on; }
    void toggle() { m_on = !m_on; }
    // For the display's WM_CTLCOLORSTATIC: sets the colours of context and gives the brush of the
    // face, or nullptr while colour is off.
    HBRUSH prepare(HDC context, int bellPhase) const;

private:
    bool m_on = false; // until the window turns it on
    HBRUSH m_face;
};

} // namespace zelvano
