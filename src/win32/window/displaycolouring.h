#pragma once

#include <windows.h>

#include "core/phasecolours.h"

namespace zelvano {

inline COLORREF colourRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

// The main display's colours by bell phase, while the user has them on: the digits in the
// phase's colour on a white face.
class DisplayColouring final
{
public:
    DisplayColouring();
    ~DisplayColouring();
    DisplayColouring(const DisplayColouring&) = delete;
    DisplayColouring& operator=(const DisplayColouring&) = delete;

    // For the display's WM_CTLCOLORSTATIC: sets the colours of context and gives the brush of the
    // face.
    HBRUSH prepare(HDC context, int bellPhase) const;

private:
    HBRUSH m_face;
};

} // namespace zelvano
