#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace zelvano {

// A text as a QR code drawn with GDI: dark modules on white with a quiet zone of four modules all
// round, each module a whole number of pixels so that no edge is blurred for the phone's camera.
class QrPicture
{
public:
    // Nothing is drawn for a text too long for any QR code.
    void setText(const std::string& text);
    // The side of the picture in modules, quiet zone included; 0 when there is nothing to draw.
    int sideModules() const { return m_side; }
    // The largest whole module size that fits, centred in area, on white.
    void paint(HDC dc, const RECT& area) const;

private:
    std::vector<bool> m_dark; // row by row, quiet zone included
    int m_side = 0;
};

} // namespace zelvano
