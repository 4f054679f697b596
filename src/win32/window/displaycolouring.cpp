#include "win32/window/displaycolouring.h"

#include <algorithm>

#include "core/bellsettings.h"

namespace zelvano {

DisplayColouring::DisplayColouring()
    : m_face(CreateSolidBrush(colourRef(windowPalette.background)))
{ }

DisplayColouring::~DisplayColouring()
{
    if (m_face)
        DeleteObject(m_face);
}

HBRUSH DisplayColouring::prepare(HDC context, int bellPhase) const
{
    const auto phase = static_cast<std::size_t>(std::clamp(bellPhase, 0, BellSettings::bellCount));
    SetTextColor(context, colourRef(windowPalette.digits[phase]));
    SetBkColor(context, colourRef(windowPalette.background));
    return m_face;
}

} // namespace zelvano
