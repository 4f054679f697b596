#include "win32/share/qrpicture.h"

#include <algorithm>
#include <stdexcept>

#include <qrcodegen/qrcodegen.hpp>

namespace zelvano {

namespace {

    constexpr int quietModules = 4;

} // namespace

void QrPicture::setText(const std::string& text)
{
    m_dark.clear();
    m_side = 0;
    try {
        // Medium correction survives a glare across the screen; the library raises it further
        // where that costs no larger code.
        const qrcodegen::QrCode code
            = qrcodegen::QrCode::encodeText(text.c_str(), qrcodegen::QrCode::Ecc::MEDIUM);
        const int side = code.getSize() + 2 * quietModules;
        m_dark.assign(static_cast<std::size_t>(side * side), false);
        for (int y = 0; y < code.getSize(); ++y) {
            for (int x = 0; x < code.getSize(); ++x)
                m_dark[static_cast<std::size_t>((y + quietModules) * side + x + quietModules)]
                    = code.getModule(x, y);
        }
        m_side = side;
    } catch (const std::length_error&) {
        // Left blank: the address stays readable beside it.
    }
}

void QrPicture::paint(HDC dc, const RECT& area) const
{
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_side == 0)
        return;
    const int module = std::min(area.right - area.left, area.bottom - area.top) / m_side;
    if (module < 1)
        return;
    const int left = area.left + (area.right - area.left - module * m_side) / 2;
    const int top = area.top + (area.bottom - area.top - module * m_side) / 2;
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    // One rectangle for each run of dark modules along a row.
    for (int y = 0; y < m_side; ++y) {
        for (int x = 0; x < m_side;) {
            if (!m_dark[static_cast<std::size_t>(y * m_side + x)]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < m_side && m_dark[static_cast<std::size_t>(y * m_side + x)])
                ++x;
            const RECT run { left + start * module, top + y * module, left + x * module,
                top + (y + 1) * module };
            FillRect(dc, &run, black);
        }
    }
}

} // namespace zelvano
