#include "win32/lectern/cellline.h"

#include <algorithm>

namespace zelvano {

namespace {

    // The cell height at which a text's width is first measured.
    constexpr int probeHeight = 100;

    std::wstring shapeOf(const std::wstring& text)
    {
        std::wstring shape = text;
        std::replace_if(
            shape.begin(), shape.end(), [](wchar_t c) { return c >= L'1' && c <= L'9'; }, L'0');
        return shape;
    }

    // The system's default Japanese face, as the main display uses, at a cell height in pixels.
    // It has the kana and the bell marks as well as the digits.
    HFONT displayFont(int cellHeight)
    {
        return CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
            DEFAULT_PITCH | FF_DONTCARE, nullptr);
    }

    int textWidth(HDC context, HFONT font, const std::wstring& text)
    {
        const HGDIOBJ previous = SelectObject(context, font);
        SIZE size {};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(context, previous);
        return size.cx;
    }

    // The largest face whose cell is at most height and in which text is at most width wide.
    HFONT fittedFont(HDC context, const std::wstring& text, int width, int height)
    {
        const HFONT probe = displayFont(probeHeight);
        const int probeWidth = std::max(1, textWidth(context, probe, text));
        DeleteObject(probe);
        // Widths grow about in proportion to the height; rounding may still leave the text a
        // little too wide, so it shrinks until it fits.
        int cell = std::max(1, std::min(height, width * probeHeight / probeWidth));
        HFONT font = displayFont(cell);
        while (cell > 1 && textWidth(context, font, text) > width) {
            DeleteObject(font);
            font = displayFont(--cell);
        }
        return font;
    }

} // namespace

CellLine::~CellLine()
{
    if (m_font)
        DeleteObject(m_font);
}

void CellLine::setBand(HWND window, const RECT& band)
{
    m_band = band;
    layOut(window);
    InvalidateRect(window, &m_band, TRUE);
}

void CellLine::setText(
    HWND window, const std::wstring& text, std::size_t colouredLength, bool recolour)
{
    const std::wstring previous = m_text;
    const std::size_t previousColoured = m_colouredLength;
    m_text = text;
    m_colouredLength = colouredLength;
    if (shapeOf(m_text) != m_shape) {
        layOut(window);
        InvalidateRect(window, &m_band, TRUE);
        return;
    }
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        const bool coloured = i < m_colouredLength;
        if (previous[i] != m_text[i] || coloured != (i < previousColoured)
            || (recolour && coloured))
            InvalidateRect(window, &m_cells[i], FALSE);
    }
}

// The face that fits the band, and one cell per character, the whole centred in the band.
void CellLine::layOut(HWND window)
{
    m_shape = shapeOf(m_text);
    m_cells.clear();
    const int width = m_band.right - m_band.left;
    const int height = m_band.bottom - m_band.top;
    if (width <= 0 || height <= 0 || m_shape.empty())
        return;
    const HDC context = GetDC(window);
    const HFONT probe = displayFont(probeHeight);
    const bool leastIsWider
        = textWidth(context, probe, m_leastShape) > textWidth(context, probe, m_shape);
    DeleteObject(probe);
    if (m_font)
        DeleteObject(m_font);
    m_font = fittedFont(context, leastIsWider ? m_leastShape : m_shape, width, height);

    const HGDIOBJ previous = SelectObject(context, m_font);
    std::vector<int> ends(m_shape.size());
    SIZE size {};
    GetTextExtentExPointW(
        context, m_shape.c_str(), static_cast<int>(m_shape.size()), 0, nullptr, ends.data(), &size);
    TEXTMETRICW metrics {};
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(window, context);

    const int left = m_band.left + (width - size.cx) / 2;
    const int top = m_band.top + (height - metrics.tmHeight) / 2;
    int start = left;
    for (const int end : ends) {
        m_cells.push_back({ start, top, left + end, top + metrics.tmHeight });
        start = left + end;
    }
}

void CellLine::paint(
    HDC context, const RECT& dirty, COLORREF phase, COLORREF plain, COLORREF background) const
{
    const HGDIOBJ previous = SelectObject(context, m_font);
    SetBkColor(context, background);
    SetTextAlign(context, TA_CENTER | TA_TOP | TA_NOUPDATECP);
    RECT unused {};
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        const RECT& cell = m_cells[i];
        if (!IntersectRect(&unused, &cell, &dirty))
            continue;
        SetTextColor(context, i < m_colouredLength ? phase : plain);
        ExtTextOutW(context, (cell.left + cell.right) / 2, cell.top, ETO_OPAQUE | ETO_CLIPPED,
            &cell, &m_text[i], 1, nullptr);
    }
    SelectObject(context, previous);
}

} // namespace zelvano
