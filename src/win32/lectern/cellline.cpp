#include "win32/lectern/cellline.h"

#include <algorithm>

#include "lectern/lecternlayout.h"

namespace zelvano {

namespace {

    // The system's default Japanese face, as the main display uses, at a cell height in pixels.
    // It has the kana and the bell marks as well as the digits.
    HFONT displayFont(int cellHeight)
    {
        return CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
            DEFAULT_PITCH | FF_DONTCARE, nullptr);
    }

    // The widest of texts and the cell's height, in font.
    TextExtent extentIn(HDC context, HFONT font, std::initializer_list<const std::wstring*> texts)
    {
        const HGDIOBJ previous = SelectObject(context, font);
        TextExtent extent { 0, 0 };
        for (const std::wstring* text : texts) {
            SIZE size {};
            GetTextExtentPoint32W(context, text->c_str(), static_cast<int>(text->size()), &size);
            extent.width = std::max(extent.width, static_cast<int>(size.cx));
        }
        TEXTMETRICW metrics {};
        GetTextMetricsW(context, &metrics);
        extent.height = metrics.tmHeight;
        SelectObject(context, previous);
        return extent;
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

void CellLine::setText(HWND window, const std::wstring& text, const std::wstring& shape,
    std::size_t colouredLength, bool recolour)
{
    const std::wstring previous = m_text;
    const std::size_t previousColoured = m_colouredLength;
    m_text = text;
    m_colouredLength = colouredLength;
    if (shape != m_shape || shape.size() != text.size()) {
        m_shape = shape;
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

// The face that fits the band, and one cell per character of the shape, the whole centred in the
// band.
void CellLine::layOut(HWND window)
{
    m_cells.clear();
    const int width = m_band.right - m_band.left;
    const int height = m_band.bottom - m_band.top;
    if (width <= 0 || height <= 0 || m_shape.empty() || m_shape.size() != m_text.size())
        return;
    const HDC context = GetDC(window);
    const auto measure = [this, context](int cellHeight) {
        const HFONT font = displayFont(cellHeight);
        const TextExtent extent = extentIn(context, font, { &m_shape, &m_leastShape });
        DeleteObject(font);
        return extent;
    };
    if (m_font)
        DeleteObject(m_font);
    m_font = displayFont(largestFittingSize(measure, width, height));

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
